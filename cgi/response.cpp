#include "cgi.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <unistd.h>

int first_log = 0;

void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void write_header_block(Byte_buffer& out) {
    out.append(header_block);
}

namespace {

// Waits until standard output takes more; false when it never will.
bool wait_until_writable() {
    pollfd output = {STDOUT_FILENO, POLLOUT, 0};
    for (;;) {
        const int ready = ::poll(&output, 1, -1);
        if (ready > 0)
            return (output.revents & POLLOUT) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

void send_response(std::string_view response) {
    while (!response.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, response.data(), response.size());
        if (written > 0) {
            response.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        // A web server may hand over a non-blocking pipe or socket: when its
        // reader is slower than we are, wait for it rather than cut the
        // response. A reader that is gone (EPIPE) or any other error ends it.
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait_until_writable())
            continue;
        return;
    }
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

// room plus the most bytes value can take once escaped. It stops at a size
// no buffer can have, so that begin_write refuses it instead of wrapping.
std::size_t add_escaped_room(std::size_t room, std::string_view value) {
    constexpr std::size_t too_much = SIZE_MAX / 2;
    if (room >= too_much || value.size() >= too_much / max_escaped_bytes_per_byte)
        return too_much;
    const std::size_t sum = room + value.size() * max_escaped_bytes_per_byte;
    return sum < too_much ? sum : too_much;
}

} // namespace

void write_row(Byte_buffer& out, std::initializer_list<std::string_view> values, Row_end end) {
    static constexpr std::string_view first_row = "[\"";
    static constexpr std::string_view next_row = ",[\"";
    static constexpr std::string_view next_value = "\",\"";
    static constexpr std::string_view row_end = "\"]";
    static constexpr std::string_view row_end_line = "\"]\n";
    // One reservation for the whole row: its marks, and every value escaped
    // at the most.
    std::size_t room = next_row.size() + row_end_line.size();
    for (std::string_view value : values)
        room = add_escaped_room(room + next_value.size(), value);
    char* to = out.begin_write(room);
    if (to == nullptr)
        return;

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

void write_escaped_value(Byte_buffer& out, std::string_view value) {
    if (char* to = out.begin_write(add_escaped_room(0, value)))
        out.end_write(escape_to(to, value));
}
