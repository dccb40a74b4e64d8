// The row writer: whatever the bytes, a row is exactly what the tests' own
// escaper makes of them (one byte at a time, with none of the writer's
// runs or buffer edges), and never holds a raw '<', '>', control byte or
// JavaScript line separator.
#include "cgi.h"
#include "support/captured_output.h"
#include "support/expected.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte splits the rest into two values of one row.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size > 0 ? data[0] % size : 0;
    const std::string first = size > 0 ? bytes.substr(1, cut > 0 ? cut - 1 : 0) : "";
    const std::string second = size > 0 ? bytes.substr(first.size() + 1) : "";

    Captured_output captured;
    begin_row_list();
    write_row(captured.out(), {first, second}, Row_end::none);
    const std::string row = captured.text();
    if (!captured.guard_intact())
        fail("written past the output buffer");

    for (std::size_t i = 0; i < row.size(); ++i) {
        const auto c = static_cast<unsigned char>(row[i]);
        if (c < 0x20 || c == 0x7F || c == '<' || c == '>')
            fail("raw control byte or angle bracket in a row");
        if (c == 0xE2 && i + 2 < row.size() && static_cast<unsigned char>(row[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(row[i + 2]) & 0xFE) == 0xA8)
            fail("raw line separator in a row");
    }
    if (row != row_list({{first, second}}, ""))
        fail("the row is not its values, escaped");
    return 0;
}
