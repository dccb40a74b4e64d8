// The request layer shared by both programs: the request parameter table over
// the query string, and the response framing (header block and row lists).
#pragma once

#include "output.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <initializer_list>
#include <string_view>

// Builds the request parameter table from the query string, rewriting it in
// place: '&' and ';' become NUL, each field is decoded, then cut at its first
// '='. A field without '=' is dropped; a later field replaces an earlier one
// of the same name. Null (no QUERY_STRING) leaves no table: every lookup
// yields null. The string must outlive all lookups.
void init_cgi(char* query);

// The value stored under exactly this name, or null when it is absent or no
// table exists. Callers use "" for null.
const char* get_cgi(const char* name);

// Stores value under name, replacing an earlier value. Both strings must stay
// alive. Does nothing when no table exists.
void set_cgi(const char* name, const char* value);

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

// Whether an entry name a directory handed out is one name, not a path: it
// holds no '/'. Kernels before 5.4 pass on such names from a crafted disk,
// and opening one relative to a folder would walk wherever its components
// lead (O_NOFOLLOW guards only the last). Such an entry is never opened,
// looked at or listed.
inline bool is_single_name(const char* name) {
    return std::strchr(name, '/') == nullptr;
}

// Reads a directory stream entry by entry. A read error (a failing disk) is
// not the end: it ends the walk all the same, so the rows already sent stay,
// but it is put on record, as one fixed line on standard error, the web
// server's error log. Without it a short listing would read as a whole one.
class Entry_reader {
  public:
    explicit Entry_reader(DIR* dir) : dir_(dir), error_(errno) {}

    // The next entry, or null at the end or after a read error.
    const dirent* next() {
        error_ = 0;
        const dirent* entry = ::readdir(dir_);
        if (entry == nullptr && error_ != 0)
            report_read_error();
        return entry;
    }

  private:
    static void report_read_error();

    DIR* dir_;
    int& error_; // errno, looked up once
};
