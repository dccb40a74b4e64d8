#include "cgi.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <unistd.h>

int first_log = 0;

void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void write_header_block(Byte_buffer& out) {
    out.append(header_block);
}

void send_response(std::string_view response) {
    while (!response.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, response.data(), response.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        response.remove_prefix(static_cast<std::size_t>(written));
    }
}

void begin_row_list() {
    first_log = 1;
}

void write_row(Byte_buffer& out, std::initializer_list<std::string_view> values, Row_end end) {
    if (first_log)
        first_log = 0;
    else
        out.append(',');
    out.append('[');
    bool first_value = true;
    for (std::string_view value : values) {
        if (!first_value)
            out.append(',');
        first_value = false;
        out.append('"');
        write_escaped_value(out, value);
        out.append('"');
    }
    out.append(']');
    if (end == Row_end::line_feed)
        out.append('\n');
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

void write_escaped_value(Byte_buffer& out, std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    std::size_t run_start = 0;
    std::size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && byte_classes[static_cast<unsigned char>(value[i])] == plain)
            ++i;
        if (i == value.size())
            break;
        const auto c = static_cast<unsigned char>(value[i]);
        const Byte_class kind = byte_classes[c];
        if (kind == maybe_line_separator && !is_line_separator_at(value, i)) {
            ++i;
            continue;
        }
        out.append({value.data() + run_start, i - run_start});
        if (kind == short_escape) {
            const char escape[2] = {'\\', short_escape_letter(c)};
            out.append({escape, sizeof escape});
            i += 1;
        } else if (kind == unicode_escape) {
            const char escape[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
            out.append({escape, sizeof escape});
            i += 1;
        } else {
            const bool paragraph = static_cast<unsigned char>(value[i + 2]) == 0xA9;
            out.append(paragraph ? "\\u2029" : "\\u2028");
            i += 3;
        }
        run_start = i;
    }
    out.append({value.data() + run_start, value.size() - run_start});
}
