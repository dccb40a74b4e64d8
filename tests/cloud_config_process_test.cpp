#include "support/expected.h"
#include "support/fixture.h"
#include "support/process.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string program_with_test_conf = CLOUD_STATUS_TEST_CONF_PROGRAM;
const std::string test_conf_path = CLOUD_STATUS_TEST_CONF_PATH;

// The configuration tests use a build whose configuration path points into
// the build tree; the file there is made and removed by each case.
class CloudConfigProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        conf_dir_ = test_conf_path.substr(0, test_conf_path.rfind('/'));
        remove_tree(conf_dir_);
        make_dir(conf_dir_);
    }
    void TearDown() override { remove_tree(conf_dir_); }

    Run_result get_config() {
        Run_options options;
        options.query = "action_mode=CLOUD_GETCONFIG";
        options.timeout_seconds = 10;
        return run_program(program_with_test_conf, options);
    }

    std::string conf_dir_;
};

// The file is read in the pieces fgets with a 256-byte buffer gives, each
// marked up as the unit tests say: line after line, a line longer than 255
// bytes in pieces, and so where it crosses the 4 KiB read at a time.
TEST_F(CloudConfigProcess, WritesEachPieceOfTheFileMarkedUp) {
    struct Case {
        std::string contents;
        std::string body;
    };
    const std::string long_line = std::string(250, 'a') + ",bbbbbbbbbb,c\n";
    const std::string long_body = "&#60" + std::string(250, 'a') + "&#62bbbb&#60bbbbbb&#62c\n";
    const Case cases[] = {
        {"a,b,c,d,e,f,g\n1,2,3,4,5,6,7\n",
         "&#60a&#62b&#62c&#62e&#62f&#62g/&#601&#622&#623&#625&#626&#627/"},
        {"a,b,c,d\nnext", "&#60a&#62b&#62c&#60next"},
        {"\n\n", "&#60\n&#60\n"},
        {"", ""},
        {long_line, long_body},
        {repeated("k,v\n", 1000) + long_line, repeated("&#60k&#62v\n", 1000) + long_body},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents);
        write_file(test_conf_path, c.contents);
        const Run_result result = get_config();
        expect_plain_exit(result);
        EXPECT_EQ(result.out, header_block + c.body);
    }
}

TEST_F(CloudConfigProcess, MissingFileGivesAnEmptyBody) {
    const Run_result result = get_config();
    expect_exit_status_zero(result);
    EXPECT_EQ(result.out, header_block);
    EXPECT_EQ(result.err, "");
}

TEST_F(CloudConfigProcess, AnythingButARegularFileReadsAsMissing) {
    // Devices that never end, a FIFO without a writer, a folder, a socket:
    // none may block or grow the response, and none is an error.
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
    };
    const Case cases[] = {
        {"/dev/zero", [](const std::string& path) { make_symlink("/dev/zero", path); }},
        {"/dev/urandom", [](const std::string& path) { make_symlink("/dev/urandom", path); }},
        {"a FIFO", make_fifo},
        {"a folder", make_dir},
        {"a socket", make_socket},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        remove_tree(test_conf_path);
        c.make(test_conf_path);
        const Run_result result = get_config();
        expect_exit_status_zero(result);
        EXPECT_EQ(result.out, header_block);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CloudConfigProcess, RegularFileThatCannotBeOpenedIsReportedOnStandardError) {
    // Root opens any file: the program runs as an unprivileged user then.
    write_file(test_conf_path, "a,b,c,d,e,f,g\n");
    ASSERT_EQ(::chmod(test_conf_path.c_str(), 0), 0);
    Run_options options;
    options.query = "action_mode=CLOUD_GETCONFIG";
    options.unprivileged = true;
    options.timeout_seconds = 10;
    const Run_result result = run_program(program_with_test_conf, options);
    expect_exit_status_zero(result);
    EXPECT_EQ(result.out, header_block);
    EXPECT_EQ(result.err, "read Cloud error");
}

} // namespace
