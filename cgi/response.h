// The response: the header block, the row lists of the body, the buffer it
// goes out through, and the fixed texts a program puts on the error log.
#pragma once

#include "output.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Appends the fixed header block every response starts with.
void write_header_block(Output& out);

// The size of the one buffer a response goes out through: a typical
// response fits, so it leaves in one write.
constexpr std::size_t output_buffer_size = 16384;

// What a program does with one request: the query string (null when
// QUERY_STRING is unset), answered into out, header block first.
using Answer = void (*)(char* query, Output& out);

// The whole of a program's main: answers the request in QUERY_STRING on
// standard output, through a buffer on the stack, and returns the exit
// status, always 0. A reader that goes away does not kill the program.
int serve_request(Answer answer);

// 1 while the next row written is the first of its list.
extern int first_log;

enum class Row_end { none, line_feed };

// Starts a row list: the next row is written without a leading ','.
void begin_row_list();

// Appends one row, ["v1","v2",...] (at least one value), preceded by ','
// unless it is the first of its list. Each value is escaped as the content of
// a JSON/JavaScript string literal, so that it can neither end its quotes nor
// open markup: '"', '\\' and control bytes are escaped, '<', '>', U+2028 and
// U+2029 as \u escapes; all other bytes, non-ASCII included, unchanged.
void write_row(Output& out, std::initializer_list<std::string_view> values, Row_end end);

// Writes text to standard error, the web server's error log, exactly as
// given: one write, no line end added. Only fixed texts go there: a path or
// a name could carry a line break into the log.
void write_error_log(std::string_view text);
