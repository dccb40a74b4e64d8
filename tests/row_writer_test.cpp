#include "cgi.h"
#include "support/fixture.h"
#include "support/json_rows.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace {

// Escapes value into a buffer one byte short of the most it can take (six
// bytes per byte), with a guard behind it: the writer must reserve that most
// and move out, never write past. The value is followed in memory by a byte
// that would complete a line separator, which must not be looked at.
std::string escaped(std::string_view value) {
    const std::string input = std::string(value) + "\xa8";
    const std::size_t room = 4 + 6 * value.size() - 1;
    const std::string guard(64, '#');
    std::string storage(room, '.');
    storage += guard;
    Byte_buffer out(storage.data(), room);
    out.append("kept");
    write_escaped_value(out, {input.data(), value.size()});
    EXPECT_EQ(storage.substr(room), guard) << "written past the room reserved";
    const std::string text(out.view());
    EXPECT_EQ(text.substr(0, 4), "kept"); // appends, never replaces
    return text.substr(4);
}

TEST(RowWriter, EscapesValuesAsJsonStringContent) {
    using namespace std::string_literals;
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"plain text 123", "plain text 123"},
        {"\"", "\\\""},
        {"\\", "\\\\"},
        {"\"],[\"x", "\\\"],[\\\"x"},
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {"\x01\x1f\x7f", "\\u0001\\u001f\\u007f"},
        {"\x08\x0c\x0b", "\\u0008\\u000c\\u000b"},
        {"\0"s, "\\u0000"},
        {"<script>", "\\u003cscript\\u003e"},
        // the most a byte escapes to: six bytes each
        {std::string(255, '<'), repeated("\\u003c", 255)},
        {"/ & ' =", "/ & ' ="},
        // non-ASCII is kept, the two JavaScript line ends are escaped
        {"caf\xc3\xa9 \xe6\x97\xa5", "caf\xc3\xa9 \xe6\x97\xa5"},
        {"a\xe2\x80\xa8"
         "b\xe2\x80\xa9",
         "a\\u2028b\\u2029"},
        {"\xe2\x80\xa7\xe2\x80\xaa", "\xe2\x80\xa7\xe2\x80\xaa"},
        // an incomplete sequence at the end is plain bytes, whatever follows
        {"\xe2", "\xe2"},
        {"\xe2\x80", "\xe2\x80"},
        {"x\xe2\x80", "x\xe2\x80"},
        {"\xe2\xe2\x80\xa8", "\xe2\\u2028"},
        // invalid UTF-8 passes through unchanged
        {"\xff\xfe\x80", "\xff\xfe\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(escaped(c.input), c.expected);
    }
}

TEST(RowWriter, EscapedValuesParseBackToTheInput) {
    std::string every_byte;
    for (int c = 1; c < 0x80; ++c)
        every_byte += static_cast<char>(c);
    const std::string values[] = {every_byte, "\xe2\x80\xa8\xe2\x80\xa9", "\"],[\"<b>\\",
                                  "\xf0\x9f\x98\x80 \xc3\xa9"};
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        const std::string json = "[[\"" + escaped(value) + "\"]]";
        const auto rows = parse_json_rows(json);
        ASSERT_TRUE(rows.has_value()) << json;
        EXPECT_EQ(*rows, Rows{{value}});
    }
}

TEST(RowWriter, FollowsTheRowListRule) {
    Byte_buffer body;
    begin_row_list();
    write_row(body, {"a", "", "b"}, Row_end::line_feed);
    write_row(body, {"c"}, Row_end::line_feed);
    begin_row_list();
    write_row(body, {"d"}, Row_end::none);
    write_row(body, {"e"}, Row_end::none);
    EXPECT_EQ(body.view(), "[\"a\",\"\",\"b\"]\n,[\"c\"]\n[\"d\"],[\"e\"]");
}

TEST(RowWriter, HeaderBlockIsExact) {
    Byte_buffer out;
    write_header_block(out);
    EXPECT_EQ(out.view(), "Content-Type:text/html\r\nCache-Control:private,max-age=0;\r\n\r\n");
}

TEST(RowWriter, BufferThatRanOutOfMemoryTakesNothingMore) {
    // A response built after memory ran out is answered with the header
    // block alone: the buffer must say so and never take half a row.
    Byte_buffer out;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        const std::string piece = "piece " + std::to_string(i) + ',';
        ASSERT_TRUE(out.append(piece));
        expected += piece;
    }
    EXPECT_EQ(out.view(), expected); // growing keeps every byte
    EXPECT_FALSE(out.failed());
    EXPECT_EQ(out.begin_write(SIZE_MAX), nullptr); // more than any memory
    EXPECT_TRUE(out.failed());
    EXPECT_FALSE(out.append("more"));
    EXPECT_EQ(out.begin_write(1), nullptr);
    EXPECT_EQ(out.view(), expected);
}

} // namespace
