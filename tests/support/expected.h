// What a response must hold, as the tests write it out themselves: the
// header block, and row lists whose values are escaped here, one byte at a
// time, never by the programs' own row writer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The header block every response begins with.
inline const std::string header_block =
    "Content-Type:text/html\r\nCache-Control:private,max-age=0;\r\n\r\n";

// value as the content of a JSON string literal that holds no markup and no
// JavaScript line end: '"' and '\\' escaped, line feed, carriage return and
// tab by letter, other control bytes, DEL, '<' and '>' as \u00xx, U+2028 and
// U+2029 as \u2028 and \u2029; every other byte as it is.
inline std::string escaped(std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        const std::string_view rest = value.substr(i);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || c == '<' || c == '>') {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else if (rest.substr(0, 3) == "\xe2\x80\xa8" || rest.substr(0, 3) == "\xe2\x80\xa9") {
            out += rest[2] == '\xa8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

using Row = std::vector<std::string>;

// A row list of rows, each followed by end: a ',' before every row but the
// first, each value escaped within its quotes.
inline std::string row_list(const std::vector<Row>& rows, std::string_view end) {
    std::string out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out += r == 0 ? "[" : ",[";
        for (std::size_t v = 0; v < rows[r].size(); ++v)
            out += (v == 0 ? "\"" : ",\"") + escaped(rows[r][v]) + "\"";
        out += "]";
        out += end;
    }
    return out;
}

// A status report's rows: four values each, every row ending in a line feed.
inline std::string status_rows(const std::vector<Row>& rows) {
    return row_list(rows, "\n");
}

// A folder listing: one row per name, all on one line.
inline std::string folder_rows(const std::vector<std::string>& names) {
    std::vector<Row> rows;
    for (const std::string& name : names)
        rows.push_back({name});
    return row_list(rows, "");
}
