#include "cgi.h"

#include <cstring>
#include <vector>

namespace {

struct Param {
    const char* name;
    const char* value;
};

// The request parameter table. Names and values point into the query string.
// Parameters are kept in the order they arrived; a lookup takes the latest,
// so a later field replaces an earlier one of the same name.
struct Param_table {
    bool present = false;
    std::vector<Param> params;
};

Param_table table;

Param* find_latest(const char* name) {
    for (auto it = table.params.rbegin(); it != table.params.rend(); ++it) {
        if (std::strcmp(it->name, name) == 0)
            return &*it;
    }
    return nullptr;
}

bool is_separator(char c) {
    return c == '&' || c == ';';
}

} // namespace

void init_cgi(char* query) {
    table.params.clear();
    table.present = query != nullptr;
    if (query == nullptr)
        return;

    char* const end = query + std::strlen(query);
    for (char* p = query; p < end; ++p) {
        if (is_separator(*p))
            *p = '\0';
    }

    // Decoding runs before the cut at '=', so an encoded '=' splits a name;
    // a decoded NUL ends its field, and the rest of the piece is met again
    // as a further field.
    char* cursor = query;
    while (cursor < end) {
        char* field = cursor;
        decode_cgi_field(field);
        cursor += std::strlen(field);
        while (cursor < end && *cursor == '\0')
            ++cursor;
        char* equals = std::strchr(field, '=');
        if (equals != nullptr) {
            *equals = '\0';
            table.params.push_back({field, equals + 1});
        }
    }
}

const char* get_cgi(const char* name) {
    if (!table.present)
        return nullptr;
    const Param* param = find_latest(name);
    return param != nullptr ? param->value : nullptr;
}

void set_cgi(const char* name, const char* value) {
    if (!table.present)
        return;
    if (Param* param = find_latest(name))
        param->value = value;
    else
        table.params.push_back({name, value});
}
