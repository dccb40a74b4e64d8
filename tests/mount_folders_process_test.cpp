#include "support/expected.h"
#include "support/fixture.h"
#include "support/process.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string program = MOUNT_FOLDERS_PROGRAM;

// A program that waits on a FIFO or follows a link loop for ever is killed
// and counted as hung.
Run_result list(const std::string& action_mode, bool unprivileged = false) {
    Run_options options;
    options.query = "action_mode=" + action_mode;
    options.unprivileged = unprivileged;
    options.timeout_seconds = 10;
    return run_program(program, options);
}

// The response must be the header block and exactly these folders' rows.
void expect_listing(const Run_result& result, const std::vector<std::string>& names) {
    expect_plain_exit(result);
    EXPECT_EQ(result.out, header_block + folder_rows(names));
}

TEST(MountFoldersProcess, ListsVisibleFoldersInStreamOrder) {
    Temp_dir temp;
    const std::string disk = temp.path() + "/disk";
    make_dir(disk);
    const std::set<std::string> listed = {"Music", "photos 2024", "link to folder", "a.b", "-dash"};
    // Left out: hidden folders and a system folder (the system folder
    // names themselves are the unit tests'), files, links to anything but a
    // folder, and a FIFO.
    for (const char* name :
         {"Music", "photos 2024", "a.b", "-dash", ".hidden", ".Trash-1000", "RECYCLER"})
        make_dir(disk + "/" + name);
    write_file(disk + "/notes.txt", "a file is never listed");
    make_symlink("Music", disk + "/link to folder");
    make_symlink("notes.txt", disk + "/link to file");
    make_symlink("/nonexistent", disk + "/broken link");
    make_symlink("loop", disk + "/loop");
    make_symlink("b", disk + "/a");
    make_symlink("a", disk + "/b");
    make_fifo(disk + "/fifo");

    for (const std::string& path : {disk, disk + "/", disk + "//"}) {
        SCOPED_TRACE(path);
        expect_listing(list(path), in_stream_order(disk, listed));
    }
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
