#include "response.h"

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

int first_log = 0;

namespace {

// The fixed header block every response starts with.
constexpr std::string_view header_block =
    "Content-Type:text/html\r\nCache-Control:private,max-age=0;\r\n\r\n";

// A reader that goes away must not kill the process: writes then fail
// quietly and the program still ends with status 0.
void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

void write_header_block(Output& out) {
    out.append(header_block);
}

void write_error_log(std::string_view text) {
    // Straight to the descriptor, unbuffered: the text is on record at once,
    // whatever the program does next.
    static_cast<void>(::write(STDERR_FILENO, text.data(), text.size()));
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

// Writes value as the content of a JSON/JavaScript string literal, so that
// it can neither end its quotes nor open markup: '"', '\\' and control
// bytes are escaped, '<', '>', U+2028 and U+2029 as \u escapes; all other
// bytes, non-ASCII included, unchanged.
void write_escaped(Output& out, std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    constexpr std::string_view unicode_prefix = "\\u00";
    constexpr std::string_view line_separator = "\\u2028";
    constexpr std::string_view paragraph_separator = "\\u2029";
    const char* at = value.data();
    const char* const end = at + value.size();
    while (at < end) {
        // Most bytes stand for themselves: find the run of them, copy it.
        const char* run = at;
        while (at < end && byte_classes[static_cast<unsigned char>(*at)] == plain)
            ++at;
        out.append({run, static_cast<std::size_t>(at - run)});
        if (at == end)
            break;
        const auto c = static_cast<unsigned char>(*at++);
        switch (byte_classes[c]) {
        case short_escape:
            out.put('\\');
            out.put(short_escape_letter(c));
            break;
        case unicode_escape:
            out.append(unicode_prefix);
            out.put(hex[c >> 4]);
            out.put(hex[c & 0xF]);
            break;
        case maybe_line_separator:
            if (is_line_separator_at(at, end)) {
                if (static_cast<unsigned char>(at[1]) == 0xA9)
                    out.append(paragraph_separator);
                else
                    out.append(line_separator);
                at += 2;
            } else {
                out.put(static_cast<char>(c));
            }
            break;
        case plain:
            break;
        }
    }
}

// The marks of a row, sized at compile time.
constexpr std::string_view first_row = "[\"";
constexpr std::string_view next_row = ",[\"";
constexpr std::string_view next_value = "\",\"";
constexpr std::string_view row_end = "\"]";
constexpr std::string_view row_end_line = "\"]\n";

} // namespace

void write_row(Output& out, std::initializer_list<std::string_view> values, Row_end end) {
    // Each mark appended by itself: its size stays a constant, and no copy
    // of it has to be kept in memory.
    if (first_log)
        out.append(first_row);
    else
        out.append(next_row);
    first_log = 0;
    bool first_value = true;
    for (std::string_view value : values) {
        if (!first_value)
            out.append(next_value);
        first_value = false;
        write_escaped(out, value);
    }
    if (end == Row_end::line_feed)
        out.append(row_end_line);
    else
        out.append(row_end);
}
