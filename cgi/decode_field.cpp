#include "cgi.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

int hex_digit_value(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte a '%' escape stands for. text is the NUL-terminated rest of the
// field after the '%'; following (0 to 2) is how many of its bytes the escape
// takes. Two hex digits, the usual case, are read directly; anything else goes
// to sscanf so that signs and the like are read exactly as "%02x" reads them.
// sscanf stops at the field's terminating NUL, so it never leaves the field.
unsigned char escaped_byte(const char* text, std::size_t following) {
    if (following == 2) {
        const int high = hex_digit_value(static_cast<unsigned char>(text[0]));
        const int low = hex_digit_value(static_cast<unsigned char>(text[1]));
        if (high >= 0 && low >= 0)
            return static_cast<unsigned char>(high * 16 + low);
    }
    unsigned int number = 0;
    if (following > 0 && std::sscanf(text, "%02x", &number) == 1)
        return static_cast<unsigned char>(number & 0xFFu);
    return '%';
}

} // namespace

void decode_cgi_field(char* field) {
    const std::size_t length = std::strlen(field);
    // The write cursor never overtakes the read cursor, so every escape is
    // read from text that has not been rewritten yet.
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < length) {
        const char c = field[read];
        if (c == '+') {
            field[write++] = ' ';
            ++read;
        } else if (c == '%') {
            const std::size_t rest = length - read - 1;
            const std::size_t following = rest < 2 ? rest : 2;
            field[write++] = static_cast<char>(escaped_byte(field + read + 1, following));
            read += 1 + following;
        } else {
            field[write++] = c;
            ++read;
        }
    }
    std::memset(field + write, 0, length - write);
}
