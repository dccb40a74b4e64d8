#include "cgi.h"

#include <array>
#include <csignal>
#include <cstdint>

int first_log = 0;

void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void write_header_block(std::FILE* out) {
    std::fputs("Content-Type:text/html\r\n", out);
    std::fputs("Cache-Control:private,max-age=0;\r\n", out);
    std::fputs("\r\n", out);
}

void begin_row_list() {
    first_log = 1;
}

void write_row(std::FILE* out, std::initializer_list<std::string_view> values, Row_end end) {
    if (first_log)
        first_log = 0;
    else
        std::putc(',', out);
    std::putc('[', out);
    bool first_value = true;
    for (std::string_view value : values) {
        if (!first_value)
            std::putc(',', out);
        first_value = false;
        std::putc('"', out);
        write_escaped_value(out, value);
        std::putc('"', out);
    }
    std::putc(']', out);
    if (end == Row_end::line_feed)
        std::putc('\n', out);
}

namespace {

enum Byte_class : std::uint8_t { plain, short_escape, unicode_escape, maybe_line_separator };

constexpr std::array<Byte_class, 256> make_byte_classes() {
    std::array<Byte_class, 256> classes{};
    for (int c = 0; c < 0x20; ++c)
        classes[c] = unicode_escape;
    classes['\n'] = short_escape;
    classes['\r'] = short_escape;
    classes['\t'] = short_escape;
    classes['"'] = short_escape;
    classes['\\'] = short_escape;
    classes['<'] = unicode_escape;
    classes['>'] = unicode_escape;
    classes[0x7F] = unicode_escape;
    // U+2028 and U+2029 end a line in older JavaScript: E2 80 A8 / E2 80 A9.
    classes[0xE2] = maybe_line_separator;
    return classes;
}

constexpr std::array<Byte_class, 256> byte_classes = make_byte_classes();

char short_escape_letter(unsigned char c) {
    switch (c) {
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    case '\t':
        return 't';
    default:
        return static_cast<char>(c); // '"' and '\\' escape as themselves
    }
}

bool is_line_separator_at(std::string_view value, std::size_t i) {
    return i + 2 < value.size() && static_cast<unsigned char>(value[i + 1]) == 0x80 &&
           (static_cast<unsigned char>(value[i + 2]) == 0xA8 ||
            static_cast<unsigned char>(value[i + 2]) == 0xA9);
}

} // namespace

void write_escaped_value(std::FILE* out, std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    std::size_t run_start = 0;
    std::size_t i = 0;
    while (i < value.size()) {
        const auto c = static_cast<unsigned char>(value[i]);
        const Byte_class kind = byte_classes[c];
        if (kind == plain || (kind == maybe_line_separator && !is_line_separator_at(value, i))) {
            ++i;
            continue;
        }
        std::fwrite(value.data() + run_start, 1, i - run_start, out);
        if (kind == short_escape) {
            const char escape[2] = {'\\', short_escape_letter(c)};
            std::fwrite(escape, 1, sizeof escape, out);
            i += 1;
        } else if (kind == unicode_escape) {
            const char escape[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
            std::fwrite(escape, 1, sizeof escape, out);
            i += 1;
        } else {
            const bool paragraph = static_cast<unsigned char>(value[i + 2]) == 0xA9;
            std::fputs(paragraph ? "\\u2029" : "\\u2028", out);
            i += 3;
        }
        run_start = i;
    }
    std::fwrite(value.data() + run_start, 1, value.size() - run_start, out);
}
