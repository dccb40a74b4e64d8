#include "support/expected.h"
#include "support/fixture.h"
#include "support/process.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace {

const std::string program = CLOUD_STATUS_PROGRAM;

std::string status_query(const std::string& base) {
    return "action_mode=CLOUD_GETSTATUS&BaseDir=" + base;
}

// The row a log yields.
Row row(const std::string& label, const std::string& status, const std::string& message) {
    return {label, "", status, message};
}

// The rows the log directory yields in its own stream order: rows_by_entry
// names the row each entry gives; other entries give none.
std::string rows_in_stream_order(const std::string& log_dir,
                                 const std::map<std::string, Row>& rows_by_entry) {
    std::vector<Row> rows;
    for (const std::string& name : in_stream_order(log_dir, rows_by_entry))
        rows.push_back(rows_by_entry.at(name));
    return status_rows(rows);
}

// A request with nothing to answer gets the header block alone, from either
// program: no query, another action, a folder that cannot be listed.
TEST(Programs, GiveTheHeaderBlockAloneWhenThereIsNothingToAnswer) {
    const std::string mount_folders = MOUNT_FOLDERS_PROGRAM;
    Temp_dir temp;
    make_dir(temp.path() + "/Cloud");
    make_dir(temp.path() + "/Cloud/.logs");
    write_file(temp.path() + "/Cloud/.logs/webdav", "qdone");
    make_dir(temp.path() + "/empty");
    write_file(temp.path() + "/file", "x");
    const std::string base = "&BaseDir=" + temp.path();
    struct Case {
        const std::string& program;
        std::optional<std::string> query;
    };
    const Case cases[] = {
        {program, std::nullopt},
        {program, ""},
        {program, "action_mode=cloud_getstatus" + base},
        {program, "action_mode=CLOUD_GETSTATUS2" + base},
        {program, "Action_Mode=CLOUD_GETSTATUS" + base},
        {program, "action_mode=" + base},
        {program, base.substr(1)},
        {program, "action_mode=CLOUD_GETSTATUS&BaseDir=" + temp.path() + "/missing"},
        {program, "action_mode=CLOUD_GETSTATUS&BaseDir=" + temp.path() + "/Cloud/.logs/webdav"},
        {mount_folders, std::nullopt},
        {mount_folders, ""},
        {mount_folders, "action_mode="},
        {mount_folders, "Action_Mode=" + temp.path()},
        {mount_folders, "action_mode=" + temp.path() + "/missing"},
        {mount_folders, "action_mode=" + temp.path() + "/file"},
        {mount_folders, "action_mode=" + temp.path() + "/empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program + " " + c.query.value_or("<unset>"));
        Run_options options;
        options.query = c.query;
        const Run_result result = run_program(c.program, options);
        expect_plain_exit(result);
        EXPECT_EQ(result.out, header_block);
    }
}

TEST(CloudStatusProcess, WritesOneRowPerReadableLog) {
    using namespace std::string_literals;
    struct Log {
        std::string name;
        std::string contents;
    };
    struct Case {
        const char* what;
        std::vector<Log> logs;
        std::map<std::string, Row> rows; // by entry name
        int inherited_descriptors = 0;
    };
    const std::vector<Case> cases = {
        {"status codes and messages",
         {{"webdav", "qdone"}, {"box", ""}, {"skydrive", "z"}, {"plovenquartzel", "vdisk full"}},
         {{"webdav", row("WebDAV", "Sync", "done")},
          {"box", row("Box.net", "", "")},
          {"skydrive", row("SkyDrive", "Initialing", "")},
          {"plovenquartzel", row("PlovenQuartzel", "Error", "disk full")}}},
        {"every status code",
         {{"webdav", "p"s + "1"}, {"box", "r2"}, {"skydrive", "s3"}, {"plovenquartzel", "t4"}},
         {{"webdav", row("WebDAV", "Initialing", "1")},
          {"box", row("Box.net", "Downup", "2")},
          {"skydrive", row("SkyDrive", "Seeding", "3")},
          {"plovenquartzel", row("PlovenQuartzel", "Downloading", "4")}}},
        {"stop and unknown codes",
         {{"webdav", "ustopped"}, {"box", "wwhat"}, {"skydrive", "oother"}},
         {{"webdav", row("WebDAV", "Stop", "stopped")},
          {"box", row("Box.net", "", "what")},
          {"skydrive", row("SkyDrive", "", "other")}}},
        {"a tail id reads its own file and has no label",
         {{"plovenquartzel.bak", "qx"}, {"old-box.1", "junk"}, {"box.1", "sy"}},
         {{"plovenquartzel.bak", row("", "Sync", "x")},
          {"old-box.1", row("", "Seeding", "y")},
          {"box.1", row("", "Seeding", "y")}}},
        {"two entries naming one log give two rows",
         {{"webdav", "qa"}, {"old-webdav", "ignored"}},
         {{"webdav", row("WebDAV", "Sync", "a")}, {"old-webdav", row("WebDAV", "Sync", "a")}}},
        {"entries without a provider word give no row, not even with a file none",
         {{"none", "qshould not show"}, {"readme.txt", "q"}, {"WEBDAV", "q"}},
         {}},
        {"a log id without its file is skipped",
         {{"old-skydrive", "q"}, {"webdav", "qok"}},
         {{"webdav", row("WebDAV", "Sync", "ok")}}},
        {"a program started with descriptors 3 to 11 open reads each log as itself (its own "
         "descriptors have two digits)",
         {{"webdav", "qfirst"}, {"box", "tsecond"}},
         {{"webdav", row("WebDAV", "Sync", "first")},
          {"box", row("Box.net", "Downloading", "second")}},
         9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Temp_dir temp;
        const std::string log_dir = temp.path() + "/Cloud/.logs";
        make_dir(temp.path() + "/Cloud");
        make_dir(log_dir);
        for (const Log& log : c.logs)
            write_file(log_dir + "/" + log.name, log.contents);

        Run_options options;
        options.query = status_query(temp.path());
        options.inherited_descriptors = c.inherited_descriptors;
        const Run_result result = run_program(program, options);
        expect_plain_exit(result);
        EXPECT_EQ(result.out, header_block + rows_in_stream_order(log_dir, c.rows));
    }
}

TEST(CloudStatusProcess, FindsTheLogDirectoryBelowAnyBaseDir) {
    Temp_dir temp;
    // A BaseDir far longer than 255 bytes, and one with a space and non-ASCII.
    std::string deep = temp.path();
    for (int i = 0; i < 12; ++i) {
        deep += "/" + std::string(40, static_cast<char>('a' + i));
        make_dir(deep);
    }
    const std::string odd = temp.path() + "/my disk \xc3\xa9";
    make_dir(odd);
    for (const std::string& base : {deep, odd}) {
        make_dir(base + "/Cloud");
        make_dir(base + "/Cloud/.logs");
        write_file(base + "/Cloud/.logs/webdav", "qok");
    }
    // BaseDir is decoded as any parameter is; a trailing '/' doubles the '/'.
    for (const std::string& base_param : {deep, temp.path() + "/my+disk+%C3%A9/"}) {
        SCOPED_TRACE(base_param);
        Run_options options;
        options.query = "BaseDir=" + base_param + "&action_mode=CLOUD_GETSTATUS";
        const Run_result result = run_program(program, options);
        expect_exit_status_zero(result);
        EXPECT_EQ(result.out, header_block + status_rows({row("WebDAV", "Sync", "ok")}));
    }
}

// No BaseDir: the log folder is /Cloud/.logs. The program runs in a folder
// that is its root, and reads the log only through /proc.
TEST(CloudStatusProcess, WithoutBaseDirReadsTheRootsLogFolder) {
    SKIP_UNLESS_ROOT("only root changes its root folder");
    if (!programs_run_natively() || !PROGRAMS_ARE_STATIC)
        GTEST_SKIP() << "the program must start by itself, from nothing but its own file";
    Temp_dir root;
    make_dir(root.path() + "/Cloud");
    make_dir(root.path() + "/Cloud/.logs");
    write_file(root.path() + "/Cloud/.logs/webdav", "qat the root");
    make_dir(root.path() + "/proc");
    write_file(root.path() + "/cloud_status", read_file(program));
    ASSERT_EQ(::chmod((root.path() + "/cloud_status").c_str(), 0755), 0);

    struct Case {
        bool mount_proc;
        std::string body;
    };
    const Case cases[] = {
        {true, status_rows({row("WebDAV", "Sync", "at the root")})},
        {false, ""}, // without /proc no log can be read: no row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mount_proc ? "with /proc" : "without /proc");
        Run_options options;
        options.query = "action_mode=CLOUD_GETSTATUS";
        options.root_dir = root.path();
        options.mount_proc = c.mount_proc;
        const Run_result result = run_program("/cloud_status", options);
        expect_plain_exit(result);
        EXPECT_EQ(result.out, header_block + c.body);
    }
}

TEST(CloudStatusProcess, SkipsWhatTheUserMayNotRead) {
    Temp_dir temp;
    const std::string log_dir = temp.path() + "/Cloud/.logs";
    make_dir(temp.path() + "/Cloud");
    make_dir(log_dir);
    write_file(log_dir + "/webdav", "qvisible");
    write_file(log_dir + "/box", "qsecret");
    ASSERT_EQ(::chmod((log_dir + "/box").c_str(), 0), 0);

    Run_options options;
    options.query = status_query(temp.path());
    options.unprivileged = true;
    Run_result result = run_program(program, options);
    expect_exit_status_zero(result);
    EXPECT_EQ(result.out, header_block + status_rows({row("WebDAV", "Sync", "visible")}));

    // An unreadable log directory: no body.
    ASSERT_EQ(::chmod(log_dir.c_str(), 0), 0);
    result = run_program(program, options);
    expect_exit_status_zero(result);
    EXPECT_EQ(result.out, header_block);
}

} // namespace
