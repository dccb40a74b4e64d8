#include "decode_field.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Decodes a copy of input and returns the whole field, zero tail included,
// so a wrong length or a byte written past the text shows up.
std::string decoded(std::string input) {
    decode_cgi_field(input.data(), input.size());
    return input;
}

TEST(DecodeField, DecodesInPlaceKeepingTheFieldLength) {
    using namespace std::string_literals;
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        // plain text and '+'
        {"", ""},
        {"abc", "abc"},
        {"a+b", "a b"},
        {"++", "  "},
        // escapes: two hex digits, either case; the tail is zero-filled
        {"%41", "A\0\0"s},
        {"a%2fb%2Fc", "a/b/c\0\0\0\0"s},
        {"%3D", "=\0\0"s},
        {"%00x", "\0x\0\0"s},
        {"%ff", "\xff\0\0"s},
        // a decoded byte is not examined again
        {"%2B", "+\0\0"s},
        {"%25", "%\0\0"s},
        {"%2541", "%41\0\0"s},
        {"%%41", "%1\0\0"s},
        // a sign counts as one of the two characters
        {"%-1", "\xff\0\0"s},
        {"%+1", "\x01\0\0"s},
        // one character left: it is read alone
        {"%4", "\x04\0"s},
        {"a%f", "a\x0f\0"s},
        // no number: '%' itself, and the up to two characters after it removed
        {"%", "%"},
        {"x%", "x%"},
        {"%z", "%\0"s},
        {"%zz", "%\0\0"s},
        {"%zzy", "%y\0\0"s},
        {"%g1", "%\0\0"s},
        {"%%", "%\0"s},
        {"%%%%", "%%\0\0"s},
        {"%+", "%\0"s},
        {"%-", "%\0"s},
        {"%+-1", "%1\0\0"s},
        // read as glibc's scanf reads "%02x": white space before the number is
        // skipped and not counted, "0x" is a prefix, a sign takes a place
        {"% 41", "A1\0\0"s},
        {"%\r41", "A1\0\0"s},
        {"%  4", "\x04"
                 "4\0\0"s},
        {"%\t\n1x", "\x01"
                    "1x\0\0"s},
        {"% -1", "\xff"
                 "1\0\0"s},
        {"% ", "%\0"s},
        {"%0x41", "\0"
                  "41\0\0"s},
        {"%0X", "\0\0\0"s},
        {"%07", "\x07\0\0"s},
        {"%-0", "\0\0\0"s},
        {"%+f", "\x0f\0\0"s},
        {"%\f-a", "\xf6"
                  "a\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(decoded(c.input), c.expected);
    }
}

TEST(DecodeField, NeverReadsOrWritesPastTheField) {
    // The field ends at its NUL; the bytes after it belong to the next field
    // and must come through untouched.
    for (const char* tail : {"%", "%4", "%z", "+", "%41"}) {
        SCOPED_TRACE(tail);
        std::string buffer = std::string(tail) + '\0' + "41=x";
        const std::string after = buffer.substr(buffer.find('\0'));
        decode_cgi_field(buffer.data(), std::string_view(tail).size());
        EXPECT_EQ(buffer.substr(buffer.size() - after.size()), after);
    }
}

} // namespace
