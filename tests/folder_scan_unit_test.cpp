#include "mount_folders.h"
#include "support/fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(FolderScan, UpperStrcmpIsACaseInsensitiveEqualityTest) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"", "", 0},        {"abc", "ABC", 0},   {"lost+found", "LOST+FOUND", 0},
        {"abc", "abd", 3},  {"xbc", "abc", 1},   {"abcd", "abc", 1},
        {"ab", "abcd", -2}, {"\xe9", "\xc9", 1}, // only ASCII letters fold
        {"[", "{", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(upper_strcmp(c.a, c.b), c.expected);
    }
}

TEST(FolderScan, RecognisesSystemFoldersInAnyCase) {
    struct Case {
        const char* name;
        int expected;
    };
    const Case cases[] = {
        {"System Volume Information", 1},
        {"SYSTEM VOLUME INFORMATION", 1},
        {"system volume information", 1},
        {"RECYCLER", 1},
        {"recycler", 1},
        {"Recycled", 1},
        {"lost+found", 1},
        {"LOST+FOUND", 1},
        {"System Volume Information2", 0},
        {"System_Volume_Information", 0},
        {"RECYCLE", 0},
        {"$RECYCLE.BIN", 0},
        {"lost found", 0},
        {"lost+found ", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test_if_System_folder(c.name), c.expected);
    }
}

// A name holding '/' is a path, and a path is never opened, even where it
// leads to a folder on the same disk.
TEST(FolderScan, TestIfDirOpensOneNameOnly) {
    Temp_dir disk;
    make_dir(disk.path() + "/Music");
    make_dir(disk.path() + "/Music/Albums");
    const int dir_fd = ::open(disk.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir_fd, 0);
    struct Case {
        const char* name;
        int expected;
    };
    const Case cases[] = {{"Music", 1}, {"Music/Albums", 0}, {"Music/", 0}, {"/", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(test_if_dir(dir_fd, c.name), c.expected) << c.name;
    ::close(dir_fd);
}

} // namespace
