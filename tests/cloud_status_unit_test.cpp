#include "cloud_status.h"
#include "support/captured_output.h"
#include "support/fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

TEST(CloudStatus, ProviderIdIsTheTailFromTheFirstWordInSearchOrder) {
    struct Case {
        const char* name;
        std::optional<std::string> id;
    };
    const Case cases[] = {
        {"webdav", "webdav"},
        {"box", "box"},
        {"skydrive", "skydrive"},
        {"plovenquartzel", "plovenquartzel"},
        {"old-box.1", "box.1"},
        {"plovenquartzel.bak", "plovenquartzel.bak"},
        {"webdav_box", "box"}, // box is searched before webdav
        {"box_plovenquartzel", "plovenquartzel"},
        {"skydrive-webdav", "webdav"},
        {"boxbox", "boxbox"},     // first occurrence
        {"WebDAV", std::nullopt}, // case-sensitive
        {"bo", std::nullopt},
        {".", std::nullopt},
        {"..", std::nullopt},
        {"none", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const char* id = getlogid(c.name);
        EXPECT_EQ(id != nullptr ? std::optional<std::string>(id) : std::nullopt, c.id);
    }
}

// A label needs the exact provider word; a status is one of seven
// consecutive codes, 'p' to 'v', and every byte around them has none.
TEST(CloudStatus, LabelsNeedTheExactIdAndStatusesTheCodeRange) {
    for (const char* id : {"box.1", "webdav2", "Box", "plovenquartzel.bak", ""})
        EXPECT_EQ(provider_label(id), "") << id;
    EXPECT_EQ(status_text('p'), "Initialing");
    EXPECT_EQ(status_text('v'), "Error");
    for (int code : {0, int{'o'}, int{'w'}, int{'P'}, 0xF0, 0xFF})
        EXPECT_EQ(status_text(static_cast<unsigned char>(code)), "") << code;
}

TEST(CloudStatus, MarksUpConfigPieces) {
    using namespace std::string_literals;
    struct Case {
        std::string piece;
        std::string expected;
    };
    const Case cases[] = {
        {"a,b,c,d,e,f,g\n", "&#60a&#62b&#62c&#62e&#62f&#62g/"},
        {"a,b,c,d,e,f,ghi,j\n", "&#60a&#62b&#62c&#62e&#62f&#62gh/"},
        {"a,b,c,d,e,f,g", "&#60a&#62b&#62c&#62e&#62f&#62/"},
        {"x,,y\n", "&#60x&#62y\n"},
        {"a,b,\n", "&#60a&#62b&#62\n"},
        {"a,b,c,d\n", "&#60a&#62b&#62c"},
        {"a,b,c,d,e\n", "&#60a&#62b&#62c&#62e\n"},
        {"\n", "&#60\n"},
        {"", ""},
        {",,,", ""},
        {",a", "&#60a"},
        {"a,b,c,d,e,f,g,", "&#60a&#62b&#62c&#62e&#62f&#62/"},
        {"a,b,c,d,e,f,\n", "&#60a&#62b&#62c&#62e&#62f&#62/"},
        {"%s,%n,<b>", "&#60%s&#62%n&#62<b>"},
        // a NUL ends the text of a piece, as it ends a C string
        {"a\0b,c\n"s, "&#60a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.piece);
        Captured_output captured;
        mark_up_config_piece(c.piece, captured.out());
        EXPECT_EQ(captured.text(), c.expected);
    }
}

TEST(CloudStatus, ReadLogAcceptsDescriptorZero) {
    // With standard input closed, the log's first descriptor is 0.
    Temp_dir temp;
    write_file(temp.path() + "/webdav", "qzero");
    const int dir_fd = ::open(temp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir_fd, 0);
    const int saved_stdin = ::dup(0);
    ::close(0);
    // The lowest free descriptor is the next one handed out.
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(probe);
    Log_record record;
    const int result = read_log(dir_fd, "webdav", record);
    ::dup2(saved_stdin, 0);
    ::close(saved_stdin);
    ::close(dir_fd);
    ASSERT_EQ(probe, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(record.bytes, record.length), "qzero");
}

TEST(CloudStatus, ReadLogTakesOneRecordOfAtMost520Bytes) {
    Temp_dir temp;
    struct Case {
        std::string contents;
        std::string record;
    };
    const Case cases[] = {
        {"", ""},
        {"x", "p"}, // a one-byte file is the status 'p'
        {"qa", "qa"},
        {std::string(519, 'r'), std::string(519, 'r')},
        {std::string(520, 's'), std::string(520, 's')},
        {std::string(521, 't'), std::string(520, 't')},
    };
    const int dir_fd = ::open(temp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir_fd, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents.size());
        write_file(temp.path() + "/box", c.contents);
        Log_record record;
        EXPECT_EQ(read_log(dir_fd, "box", record), 1);
        EXPECT_EQ(std::string(record.bytes, record.length), c.record);
        for (std::size_t i = record.length; i < log_record_size; ++i)
            ASSERT_EQ(record.bytes[i], '\0') << i;
    }
    Log_record record;
    EXPECT_EQ(read_log(dir_fd, "missing", record), -1);
    ::close(dir_fd);
}

// An id holding '/' is a path: through a link on the disk it would lead
// anywhere, and O_NOFOLLOW guards only its last component.
TEST(CloudStatus, ReadLogNeverTakesAPath) {
    Temp_dir temp;
    make_dir(temp.path() + "/logs");
    make_dir(temp.path() + "/elsewhere");
    write_file(temp.path() + "/elsewhere/shadow", "qsecret");
    make_symlink(temp.path() + "/elsewhere", temp.path() + "/logs/box");
    make_dir(temp.path() + "/logs/webdav");
    write_file(temp.path() + "/logs/webdav/x", "qinside");
    const int dir_fd = ::open((temp.path() + "/logs").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir_fd, 0);
    for (const char* id : {"box/shadow", "webdav/x", "webdav/", "/"}) {
        Log_record record;
        EXPECT_EQ(read_log(dir_fd, id, record), -1) << id;
        EXPECT_EQ(record.length, 0u) << id;
    }
    ::close(dir_fd);
}

} // namespace
