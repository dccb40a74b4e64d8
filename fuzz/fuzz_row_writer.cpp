// The row writer: whatever the bytes, "[" + row + "]" is a JSON array that
// gives back exactly those bytes, and never holds a raw '<', '>', control
// byte or JavaScript line separator. Where the bytes are UTF-8 it is also
// strictly valid JSON.
#include "cgi.h"
#include "support/json_rows.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool is_valid_utf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        std::uint32_t code = 0;
        std::uint32_t minimum = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, code = c & 0x1Fu, minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, code = c & 0x0Fu, minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, code = c & 0x07u, minimum = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte splits the rest into two values of one row.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size > 0 ? data[0] % size : 0;
    const std::string first = size > 0 ? bytes.substr(1, cut > 0 ? cut - 1 : 0) : "";
    const std::string second = size > 0 ? bytes.substr(first.size() + 1) : "";

    Byte_buffer buffer;
    begin_row_list();
    write_row(buffer, {first, second}, Row_end::none);
    const std::string row(buffer.view());

    for (std::size_t i = 0; i < row.size(); ++i) {
        const auto c = static_cast<unsigned char>(row[i]);
        if (c < 0x20 || c == 0x7F || c == '<' || c == '>')
            fail("raw control byte or angle bracket in a row");
        if (c == 0xE2 && i + 2 < row.size() && static_cast<unsigned char>(row[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(row[i + 2]) & 0xFE) == 0xA8)
            fail("raw line separator in a row");
    }
    const auto lenient = parse_json_rows("[" + row + "]", Utf8::lenient);
    if (!lenient || *lenient != Rows{{first, second}})
        fail("the row does not give back its values");
    if (is_valid_utf8(first) && is_valid_utf8(second) &&
        !parse_json_rows("[" + row + "]", Utf8::strict))
        fail("UTF-8 values gave invalid JSON");
    return 0;
}
