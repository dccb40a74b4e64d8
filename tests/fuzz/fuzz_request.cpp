// One whole request of a program, with the query string fuzzed, against a
// small fixture tree: the response always starts with the header block, and
// its body is a well-formed row list (or the known configuration dump).
#include "cgi.h"
#include "fuzz_fixture.h"
#include "support/captured_output.h"
#include "support/json_rows.h"

#ifdef FUZZ_CLOUD_STATUS
#include "cloud_status.h"
#else
#include "mount_folders.h"
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const std::string header = "Content-Type:text/html\r\nCache-Control:private,max-age=0;\r\n\r\n";

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void check_rows(const std::string& body, std::size_t values, std::size_t max_rows) {
    const auto rows = parse_json_rows("[" + body + "]", Utf8::lenient);
    if (!rows)
        fail("the body is not a row list");
    if (rows->size() > max_rows)
        fail("too many rows");
    for (const auto& row : *rows) {
        if (row.size() != values)
            fail("a row with the wrong number of values");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_fuzz_fixture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<char[]> query(new char[length + 1]);
    std::memcpy(query.get(), data, length);
    query[length] = '\0';

    Captured_output captured;
#ifdef FUZZ_CLOUD_STATUS
    answer_cloud_status_request(query.get(), captured.out());
#else
    answer_mount_folders_request(query.get(), captured.out());
#endif

    const std::string response = captured.text();
    if (!captured.guard_intact())
        fail("written past the output buffer");
    if (response.compare(0, header.size(), header) != 0)
        fail("no header block");
    const std::string body = response.substr(header.size());
    const char* action = get_cgi("action_mode");
#ifdef FUZZ_CLOUD_STATUS
    if (action != nullptr && std::strcmp(action, "CLOUD_GETSTATUS") == 0)
        check_rows(body, 4, max_status_rows);
    else if (action != nullptr && std::strcmp(action, "CLOUD_GETCONFIG") == 0)
        body == fixture_config_dump ? void() : fail("wrong configuration dump");
    else if (!body.empty())
        fail("a body for no action");
#else
    static_cast<void>(action);
    check_rows(body, 1, SIZE_MAX);
#endif
    return 0;
}
