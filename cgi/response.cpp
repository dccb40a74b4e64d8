#include "cgi.h"

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int first_log = 0;

void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void write_header_block(Output& out) {
    out.append(header_block);
}

int serve_request(Answer answer) {
    ignore_broken_pipe();
    char storage[output_buffer_size];
    Output out(storage, sizeof storage, STDOUT_FILENO);
    answer(std::getenv("QUERY_STRING"), out);
    out.flush();
    return 0;
}

void begin_row_list() {
    first_log = 1;
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

// No byte escapes to more than this many.
constexpr std::size_t max_escaped_bytes_per_byte = 6;

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

// Whether the byte 0xE2 just before at begins U+2028 or U+2029.
bool is_line_separator_at(const char* at, const char* end) {
    return end - at >= 2 && static_cast<unsigned char>(at[0]) == 0x80 &&
           (static_cast<unsigned char>(at[1]) == 0xA8 || static_cast<unsigned char>(at[1]) == 0xA9);
}

// Writes value escaped at to, which has room for
// max_escaped_bytes_per_byte * value.size() bytes; returns the end.
char* escape_to(char* to, std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    const char* at = value.data();
    const char* const end = at + value.size();
    while (at < end) {
        // Most bytes stand for themselves: find the run of them, copy it.
        const char* run = at;
        while (at < end && byte_classes[static_cast<unsigned char>(*at)] == plain)
            ++at;
        to = copy_to(to, {run, static_cast<std::size_t>(at - run)});
        if (at == end)
            break;
        const auto c = static_cast<unsigned char>(*at++);
        switch (byte_classes[c]) {
        case short_escape:
            *to++ = '\\';
            *to++ = short_escape_letter(c);
            break;
        case unicode_escape:
            to = copy_to(to, "\\u00");
            *to++ = hex[c >> 4];
            *to++ = hex[c & 0xF];
            break;
        case maybe_line_separator:
            if (is_line_separator_at(at, end)) {
                to = copy_to(to, static_cast<unsigned char>(at[1]) == 0xA9 ? "\\u2029" : "\\u2028");
                at += 2;
            } else {
                *to++ = static_cast<char>(c);
            }
            break;
        case plain:
            break;
        }
    }
    return to;
}

// A size no buffer can have: begin_write refuses it rather than wrap around.
constexpr std::size_t too_much = SIZE_MAX / 2;

// The most bytes values take once escaped, plus a few marks; too_much when
// the values pass what any buffer can take.
std::size_t escaped_room(std::initializer_list<std::string_view> values, std::size_t marks) {
    std::size_t bytes = 0;
    for (std::string_view value : values) {
        if (value.size() > too_much - bytes)
            return too_much;
        bytes += value.size();
    }
    if (bytes > too_much / max_escaped_bytes_per_byte)
        return too_much;
    return bytes * max_escaped_bytes_per_byte + marks;
}

constexpr std::string_view first_row = "[\"";
constexpr std::string_view next_row = ",[\"";
constexpr std::string_view next_value = "\",\"";
constexpr std::string_view row_end = "\"]";
constexpr std::string_view row_end_line = "\"]\n";

// How much of value to escape at once, at most max bytes: a cut never falls
// inside a line separator (E2 80 A8), which is escaped whole or not at all.
std::size_t escape_piece_size(std::string_view value, std::size_t max) {
    if (value.size() <= max)
        return value.size();
    const auto at = [&value](std::size_t i) { return static_cast<unsigned char>(value[i]); };
    if (at(max - 1) == 0xE2)
        return max - 1;
    if (at(max - 2) == 0xE2)
        return max - 2;
    return max;
}

// A row larger than the whole buffer: its marks and values one by one.
void write_row_in_pieces(Output& out, std::initializer_list<std::string_view> values, Row_end end) {
    out.append(first_log ? first_row : next_row);
    first_log = 0;
    bool first_value = true;
    for (std::string_view value : values) {
        if (!first_value)
            out.append(next_value);
        first_value = false;
        write_escaped_value(out, value);
    }
    out.append(end == Row_end::line_feed ? row_end_line : row_end);
}

} // namespace

void write_row(Output& out, std::initializer_list<std::string_view> values, Row_end end) {
    // One reservation for the whole row: its marks, and every value escaped
    // at the most. Any real row fits the buffer (a name is at most 255 bytes,
    // a message 519).
    const std::size_t marks =
        next_row.size() + row_end_line.size() + values.size() * next_value.size();
    char* to = out.begin_write(escaped_room(values, marks));
    if (to == nullptr) {
        if (!out.ended())
            write_row_in_pieces(out, values, end);
        return;
    }

    to = first_log ? copy_to(to, first_row) : copy_to(to, next_row);
    first_log = 0;
    bool first_value = true;
    for (std::string_view value : values) {
        if (!first_value)
            to = copy_to(to, next_value);
        first_value = false;
        to = escape_to(to, value);
    }
    to = end == Row_end::line_feed ? copy_to(to, row_end_line) : copy_to(to, row_end);
    out.end_write(to);
}

void write_escaped_value(Output& out, std::string_view value) {
    const std::size_t most_at_once = out.capacity() / max_escaped_bytes_per_byte;
    while (!value.empty()) {
        const std::string_view piece(value.data(), escape_piece_size(value, most_at_once));
        char* to = out.begin_write(escaped_room({piece}, 0));
        if (to == nullptr)
            return;
        out.end_write(escape_to(to, piece));
        value.remove_prefix(piece.size());
    }
}
