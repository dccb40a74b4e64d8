#include "decode_field.h"
#include "byte_set.h"

#include <array>
#include <cstddef>
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

// The bytes decoding rewrites, and the NUL that ends a field.
constexpr std::array<bool, 256> decode_stops = byte_set({'%', '+', '\0'});

// The white space scanf skips in the C locale.
bool is_scanf_space(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The number after a '%', read from the rest of its field (text, length
// bytes) exactly as glibc's scanf reads "%02x": white space skipped (it does
// not count towards the width), then at most two characters: a sign, a "0x"
// prefix, hexadecimal digits. Returns its low 8 bits, or -1 when there is no
// number. Our own code, so every C library decodes a query alike. Not
// inlined: most fields hold no escape, and the decoder's fast path stays
// lean without it.
[[gnu::noinline]] int read_escape_number(const char* text, std::size_t length) {
    std::size_t i = 0;
    while (i < length && is_scanf_space(static_cast<unsigned char>(text[i])))
        ++i;
    // Each character taken below counts towards the width of two.
    const std::size_t end = (length - i < 2) ? length : i + 2;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool has_digit = false;
    if (i < end && text[i] == '0') {
        has_digit = true;
        ++i;
        if (i < end && (text[i] == 'x' || text[i] == 'X'))
            ++i;
    }
    unsigned int number = 0;
    for (; i < end; ++i) {
        const int digit = hex_digit_value(static_cast<unsigned char>(text[i]));
        if (digit < 0)
            break;
        number = number * 16 + static_cast<unsigned int>(digit);
        has_digit = true;
    }
    if (!has_digit)
        return -1;
    if (negative)
        number = 0u - number; // as strtoul gives it
    return static_cast<int>(number & 0xFFu);
}

} // namespace

std::size_t decode_cgi_field(char* field, std::size_t length) {
    // Text without escapes, most of a query, stays where it is. The scan
    // stops at the NUL at field[length] at the latest.
    std::size_t read = 0;
    while (!decode_stops[static_cast<unsigned char>(field[read])])
        ++read;
    if (read >= length || field[read] == '\0')
        return read < length ? read : length;
    // The field ends at its first NUL: what lies behind it is not decoded now.
    const std::size_t end = read + ::strnlen(field + read, length - read);
    // The write cursor never overtakes the read cursor, so every escape is
    // read from text that has not been rewritten yet.
    std::size_t write = read;
    while (read < end) {
        const char c = field[read];
        if (c == '+') {
            field[write++] = ' ';
            ++read;
        } else if (c == '%') {
            const std::size_t rest = end - read - 1;
            const int number = read_escape_number(field + read + 1, rest);
            field[write++] = number < 0 ? '%' : static_cast<char>(number);
            // The two characters after the '%' go whatever they held.
            read += 1 + (rest < 2 ? rest : 2);
        } else {
            field[write++] = c;
            ++read;
        }
    }
    std::memset(field + write, 0, end - write);
    return write;
}
