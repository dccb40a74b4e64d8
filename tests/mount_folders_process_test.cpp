#include "support/fixture.h"
#include "support/json_rows.h"
#include "support/process.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string program = MOUNT_FOLDERS_PROGRAM;

Run_result list(const std::string& action_mode, bool unprivileged = false) {
    Run_options options;
    options.query = "action_mode=" + action_mode;
    options.unprivileged = unprivileged;
    options.timeout_seconds = 10;
    return run_program(program, options);
}

// The body must be a row list that parses to exactly these names, in order.
void expect_listing(const Run_result& result, const std::vector<std::string>& names) {
    expect_plain_exit(result);
    ASSERT_EQ(result.out.substr(0, header_block.size()), header_block);
    const std::string body = result.out.substr(header_block.size());
    EXPECT_EQ(body.find('\n'), std::string::npos) << "a folder list is a single line";
    const auto rows = parse_json_rows("[" + body + "]");
    ASSERT_TRUE(rows.has_value()) << body;
    Rows expected;
    for (const std::string& name : names)
        expected.push_back({name});
    EXPECT_EQ(*rows, expected);
}

TEST(MountFoldersProcess, ListsVisibleFoldersInStreamOrder) {
    Temp_dir temp;
    const std::string disk = temp.path() + "/disk";
    make_dir(disk);
    const std::set<std::string> listed = {"Music", "photos 2024", "link to folder", "a.b", "-dash"};
    // Left out: hidden folders and a system folder (the system folder
    // names themselves are the unit tests').
    for (const char* name :
         {"Music", "photos 2024", "a.b", "-dash", ".hidden", ".Trash-1000", "RECYCLER"})
        make_dir(disk + "/" + name);
    write_file(disk + "/notes.txt", "a file is never listed");
    make_symlink("Music", disk + "/link to folder");
    make_symlink("notes.txt", disk + "/link to file");
    make_symlink("/nonexistent", disk + "/broken link");
    make_symlink("loop", disk + "/loop");
    make_fifo(disk + "/fifo");

    for (const std::string& path : {disk, disk + "/", disk + "//"}) {
        SCOPED_TRACE(path);
        expect_listing(list(path), in_stream_order(disk, listed));
    }
}

TEST(MountFoldersProcess, WritesTheExactRowList) {
    Temp_dir temp;
    for (const char* name : {"a", "b", "c"})
        make_dir(temp.path() + "/" + name);
    std::string expected;
    for (const std::string& name : directory_order(temp.path()))
        expected += (expected.empty() ? "" : ",") + ("[\"" + name + "\"]");
    const Run_result result = list(temp.path());
    expect_plain_exit(result);
    EXPECT_EQ(result.out, header_block + expected);
}

// action_mode is decoded as any parameter is.
TEST(MountFoldersProcess, DecodesThePathFromTheQuery) {
    Temp_dir temp;
    make_dir(temp.path() + "/my disk \xc3\xa9");
    make_dir(temp.path() + "/my disk \xc3\xa9/inside");
    expect_listing(list("%2F" + temp.path().substr(1) + "/my+disk%20%C3%A9"), {"inside"});
}

TEST(MountFoldersProcess, LeavesOutFoldersTheUserCannotOpen) {
    Temp_dir temp;
    make_dir(temp.path() + "/open");
    make_dir(temp.path() + "/locked");
    make_dir(temp.path() + "/no search");
    ASSERT_EQ(::chmod((temp.path() + "/locked").c_str(), 0300), 0);
    ASSERT_EQ(::chmod((temp.path() + "/no search").c_str(), 0444), 0);
    make_symlink("locked", temp.path() + "/link to locked");
    // Readable without search permission opens as a directory stream: listed.
    expect_listing(list(temp.path(), true), in_stream_order(temp.path(), {"open", "no search"}));

    // A folder the user cannot read gives no body at all.
    ASSERT_EQ(::chmod(temp.path().c_str(), 0311), 0);
    const Run_result result = list(temp.path(), true);
    expect_plain_exit(result);
    EXPECT_EQ(result.out, header_block);
    ::chmod(temp.path().c_str(), 0755);
}

} // namespace
