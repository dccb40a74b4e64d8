// A strict reader for the row lists the programs write, used to check that
// "[" + body + "]" is valid JSON and holds exactly the expected values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

enum class Utf8 { strict, lenient };

// Parses text as a JSON array of arrays of strings (RFC 8259: UTF-8 text,
// no raw control bytes in strings, escapes decoded to UTF-8). Null when the
// text is not exactly that. Lenient takes any byte from 0x80 up as it stands,
// for names that are not UTF-8 (the page's browser would show U+FFFD).
std::optional<Rows> parse_json_rows(std::string_view text, Utf8 utf8 = Utf8::strict);

// Whether text is well-formed UTF-8 (no overlongs, surrogates or values above
// U+10FFFF).
bool is_valid_utf8(std::string_view text);
