// Query decoding and the parameter table, against a literal model of the
// decoding: each escape rewritten in place and the rest of its field shifted
// left, as a C string is. Every name the model finds must be answered with
// the value of its last occurrence.
#include "cgi.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Decodes q[start, end) in place, the field ending at the NUL at end.
void model_decode(std::string& q, std::size_t start, std::size_t end) {
    std::size_t p = start;
    for (;;) {
        std::size_t i = p;
        while (i < end && q[i] != '%' && q[i] != '+')
            ++i;
        if (i >= end)
            return;
        if (q[i] == '+') {
            q[i] = ' ';
            p = i + 1;
            continue;
        }
        const std::size_t following = end - i - 1 < 2 ? end - i - 1 : 2;
        unsigned int number = 0;
        char byte = '%';
        if (following == 2 && is_hex(q[i + 1]) && is_hex(q[i + 2]))
            byte = static_cast<char>(std::strtoul(q.substr(i + 1, 2).c_str(), nullptr, 16));
        else if (following > 0 && std::sscanf(q.c_str() + i + 1, "%02x", &number) == 1)
            byte = static_cast<char>(number & 0xFF);
        q[i] = byte;
        q.erase(i + 1, following);
        q.insert(end - following, following, '\0');
        end -= following;
        p = i + 1;
    }
}

std::map<std::string, std::string> model_table(std::string q) {
    std::map<std::string, std::string> table;
    for (char& c : q) {
        if (c == '&' || c == ';')
            c = '\0';
    }
    const std::size_t end = q.size();
    std::size_t cursor = 0;
    while (cursor < end) {
        const std::size_t field = cursor;
        std::size_t field_end = q.find('\0', field);
        if (field_end == std::string::npos)
            field_end = end;
        model_decode(q, field, field_end);
        const std::size_t text_end = std::strlen(q.c_str() + field) + field;
        cursor = text_end;
        while (cursor < end && q[cursor] == '\0')
            ++cursor;
        const std::string text = q.substr(field, text_end - field);
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            table[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The query string comes from the environment: it ends at its first NUL.
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    const std::string original(reinterpret_cast<const char*>(data), length);
    // Exactly the string and its NUL, so any read past it is caught.
    std::unique_ptr<char[]> query(new char[length + 1]);
    std::memcpy(query.get(), original.c_str(), length + 1);

    init_cgi(query.get());
    for (const auto& [name, value] : model_table(original)) {
        const char* found = get_cgi(name.c_str());
        if (found == nullptr || value != found) {
            std::fprintf(stderr, "name \"%s\": got %s, model says \"%s\"\n", name.c_str(),
                         found != nullptr ? found : "null", value.c_str());
            std::abort();
        }
    }
    return 0;
}
