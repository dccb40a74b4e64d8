// One whole request of a program, with the query string fuzzed, against a
// small fixture tree: the response is the header block and, wherever the
// request leads into the fixture (or nowhere), exactly the body the fixture
// gives there.
#include "cgi.h"
#include "fuzz_fixture.h"
#include "support/captured_output.h"
#include "support/expected.h"

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

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

const char* parameter(const char* name) {
    const char* value = get_cgi(name);
    return value != nullptr ? value : "";
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
    if (response.compare(0, header_block.size(), header_block) != 0)
        fail("no header block");
    std::string expected;
    bool known = true;
#ifdef FUZZ_CLOUD_STATUS
    const std::string action = parameter("action_mode");
    if (action == "CLOUD_GETSTATUS")
        known = expected_status(parameter("BaseDir"), expected);
    else if (action == "CLOUD_GETCONFIG")
        expected = fixture_config_dump;
#else
    known = expected_listing(parameter("action_mode"), expected);
#endif
    if (known && response.compare(header_block.size(), std::string::npos, expected) != 0)
        fail("not the body the fixture gives");
    return 0;
}
