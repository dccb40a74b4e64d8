#include "cgi.h"
#include "cloud_status.h"
#include "support/captured_output.h"
#include "support/expected.h"
#include "support/fixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Escapes value as the one value of a row, written once through a buffer of
// the programs' size and once through one of a single byte, so that every
// byte and every escape meets the buffer's edge; both must give the same.
// The value is followed in memory by a byte that would complete a line
// separator, which must not be looked at.
std::string written_value(std::string_view value) {
    const std::string input = std::string(value) + "\xa8";
    std::string texts[2];
    const std::size_t capacities[] = {output_buffer_size, 1};
    for (int i = 0; i < 2; ++i) {
        Captured_output captured(capacities[i]);
        begin_row_list();
        write_row(captured.out(), {{input.data(), value.size()}}, Row_end::none);
        texts[i] = captured.text();
        EXPECT_TRUE(captured.guard_intact()) << "written past the buffer";
    }
    EXPECT_EQ(texts[0], texts[1]) << "the buffer's size changed the bytes";
    const std::string& row = texts[0];
    if (row.size() < 4 || row.compare(0, 2, "[\"") != 0 ||
        row.compare(row.size() - 2, 2, "\"]") != 0) {
        ADD_FAILURE() << "not a row: " << row;
        return row;
    }
    return row.substr(2, row.size() - 4);
}

TEST(RowWriter, EscapesValuesAsJsonStringContent) {
    using namespace std::string_literals;
    struct Case {
        std::string input;
        std::string expected;
    };
    std::string every_byte;
    for (int c = 0; c < 256; ++c)
        every_byte += static_cast<char>(c);
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
        // each byte as the tests' own escaper has it
        {every_byte, escaped(every_byte)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(written_value(c.input), c.expected);
    }
}

TEST(RowWriter, FollowsTheRowListRule) {
    Captured_output body;
    begin_row_list();
    write_row(body.out(), {"a", "", "b"}, Row_end::line_feed);
    write_row(body.out(), {"c"}, Row_end::line_feed);
    begin_row_list();
    write_row(body.out(), {"d"}, Row_end::none);
    write_row(body.out(), {"e"}, Row_end::none);
    EXPECT_EQ(body.text(), "[\"a\",\"\",\"b\"]\n,[\"c\"]\n[\"d\"],[\"e\"]");
}

// Whatever ends at the buffer's edge, just before or just after it, or is
// larger than the whole buffer, goes out exactly, and nothing is written
// past the buffer (a guard lies behind it).
TEST(Output, PiecesAtTheBuffersEdgeGoOutWhole) {
    struct Case {
        const char* what;
        std::function<void(Output&)> write;
        std::string expected;
    };
    // Every byte escaped at the most: the longest message of a log with no
    // label and no status, the longest name.
    const std::string message(519, '<');
    const std::string name(255, '\x01');
    const std::string huge = repeated("\x01", 3000) + "\xe2\x80\xa8" + repeated("<", 99);
    const std::vector<Case> cases = {
        {"a status row with a long escaped message",
         [&](Output& out) {
             write_row(out, {"", "", "", message}, Row_end::line_feed);
         },
         ",[\"\",\"\",\"\",\"" + repeated("\\u003c", 519) + "\"]\n"},
        {"a listing row", [&](Output& out) { write_row(out, {name}, Row_end::none); },
         ",[\"" + repeated("\\u0001", 255) + "\"]"},
        {"a configuration piece", [](Output& out) { mark_up_config_piece("a,b,c,d,e,f,g\n", out); },
         "&#60a&#62b&#62c&#62e&#62f&#62g/"},
        {"a row larger than the whole buffer",
         [&](Output& out) {
             write_row(out, {huge, "\xe2\x80\xa8"}, Row_end::none);
         },
         ",[\"" + repeated("\\u0001", 3000) + "\\u2028" + repeated("\\u003c", 99) +
             "\",\"\\u2028\"]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each follows a first row, so that a row begins with its ','. It
        // ends one byte before the edge, at it and one byte after it; a piece
        // larger than the buffer starts at its beginning, middle and end.
        const std::string first_row = "[\"first\"]";
        const std::size_t size = first_row.size() + c.expected.size();
        std::vector<std::size_t> fills;
        if (size < output_buffer_size) {
            for (int offset : {-1, 0, 1})
                fills.push_back(output_buffer_size - size + offset);
        } else {
            fills = {0, output_buffer_size / 2, output_buffer_size - 1};
        }
        for (std::size_t fill : fills) {
            SCOPED_TRACE(fill);
            Captured_output captured;
            const std::string filler(fill, 'f');
            captured.out().append(filler);
            begin_row_list();
            write_row(captured.out(), {"first"}, Row_end::none);
            c.write(captured.out());
            EXPECT_EQ(captured.text(), filler + first_row + c.expected);
            EXPECT_TRUE(captured.guard_intact()) << "written past the buffer";
        }
    }
}

} // namespace
