#include "cloud_status.h"
#include "support/captured_output.h"
#include "support/expected.h"
#include "support/fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
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

// Log_dir open on a folder of the test's while it lives.
class Log_dir_on {
  public:
    explicit Log_dir_on(const std::string& folder) {
        Log_dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_GE(Log_dir, 0) << folder;
    }
    Log_dir_on(const Log_dir_on&) = delete;
    Log_dir_on& operator=(const Log_dir_on&) = delete;
    ~Log_dir_on() {
        ::close(Log_dir);
        Log_dir = -1;
    }
};

TEST(CloudStatus, ReadLogAcceptsDescriptorZero) {
    // With standard input closed, the log's first descriptor is 0.
    Temp_dir temp;
    write_file(temp.path() + "/webdav", "qzero");
    const Log_dir_on logs(temp.path());
    const int saved_stdin = ::dup(0);
    ::close(0);
    // The lowest free descriptor is the next one handed out.
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(probe);
    Log_record record;
    const int result = read_log("webdav", record);
    ::dup2(saved_stdin, 0);
    ::close(saved_stdin);
    ASSERT_EQ(probe, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(record.bytes, record.length), "qzero");
}

// One read of at most 520 bytes, zero-filled behind what was read, makes
// one row: the status by the first byte, the message up to the first NUL.
TEST(CloudStatus, ALogGivesOneRowOfItsFirst520Bytes) {
    using namespace std::string_literals;
    Temp_dir temp;
    struct Case {
        std::string contents;
        std::string record;
        std::string row;
    };
    const auto row = [](const std::string& status, const std::string& message) {
        return "[\"Box.net\",\"\",\"" + status + "\",\"" + message + "\"]\n";
    };
    const Case cases[] = {
        {"", "", row("", "")},
        {"x", "p", row("Initialing", "")}, // a one-byte file is the status 'p'
        {"qa", "qa", row("Sync", "a")},
        {"qab\0cd"s, "qab\0cd"s, row("Sync", "ab")},
        {"w" + std::string(518, 'r'), "w" + std::string(518, 'r'), row("", std::string(518, 'r'))},
        {"s" + std::string(519, 's'), "s" + std::string(519, 's'),
         row("Seeding", std::string(519, 's'))},
        {"t" + std::string(520, 't'), "t" + std::string(519, 't'),
         row("Downloading", std::string(519, 't'))},
        {std::string(100000, 'u'), std::string(520, 'u'), row("Stop", std::string(519, 'u'))},
    };
    const Log_dir_on logs(temp.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents.size());
        write_file(temp.path() + "/box", c.contents);
        Log_record record;
        EXPECT_EQ(read_log("box", record), 1);
        EXPECT_EQ(std::string(record.bytes, record.length), c.record);
        for (std::size_t i = record.length; i < log_record_size; ++i)
            ASSERT_EQ(record.bytes[i], '\0') << i;
        Captured_output captured;
        begin_row_list();
        print_log(record, "box", captured.out());
        EXPECT_EQ(captured.text(), c.row);
    }
    Log_record record;
    EXPECT_EQ(read_log("missing", record), -1);
}

// At most 100 rows: those of the first 100 logs in stream order. Entries
// that give no row (no provider word, an id without its file) count for
// nothing.
TEST(CloudStatus, StatusReportStopsAtOneHundredRows) {
    struct Case {
        int logs;
        int others; // as many entries without a provider word, and ids without a file
    };
    const Case cases[] = {{99, 0}, {100, 0}, {101, 0}, {150, 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.logs << " logs, " << c.others << " others");
        Temp_dir temp;
        std::map<std::string, Row> rows;
        for (int i = 0; i < c.logs; ++i) {
            const std::string name = "box" + std::to_string(i);
            write_file(temp.path() + "/" + name, "q" + std::to_string(i));
            rows[name] = {"", "", "Sync", std::to_string(i)};
        }
        for (int i = 0; i < c.others; ++i) {
            write_file(temp.path() + "/unrelated" + std::to_string(i), "q");
            write_file(temp.path() + "/old-skydrive" + std::to_string(i), "q"); // id skydrive<i>
        }
        std::vector<Row> expected;
        for (const std::string& name : in_stream_order(temp.path(), rows, 100))
            expected.push_back(rows.at(name));
        const Log_dir_on logs(temp.path());
        Captured_output captured;
        EXPECT_EQ(ko_print_status(captured.out()), 0);
        EXPECT_EQ(captured.text(), status_rows(expected));
    }
}

} // namespace
