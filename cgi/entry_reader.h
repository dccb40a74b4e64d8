// Reading a directory on a stranger's disk: the rule for its entry names,
// and the reader that tells the end of a directory from a failing one.
#pragma once

#include <cerrno>
#include <cstring>
#include <dirent.h>

// Whether an entry name a directory handed out is one name, not a path: it
// holds no '/'. Kernels before 5.4 pass on such names from a crafted disk,
// and opening one relative to a folder would walk wherever its components
// lead (O_NOFOLLOW guards only the last). Such an entry is never opened,
// looked at or listed.
inline bool is_single_name(const char* name) {
    return std::strchr(name, '/') == nullptr;
}

// Reads a directory stream entry by entry. A read error (a failing disk) is
// not the end: it ends the walk all the same, so the rows already sent stay,
// but it is put on record, as one fixed line on the error log. Without it a
// short listing would read as a whole one.
class Entry_reader {
  public:
    explicit Entry_reader(DIR* dir) : dir_(dir) {}

    // The next entry, or null at the end or after a read error.
    const dirent* next() {
        errno = 0; // readdir sets it on an error, and leaves it at the end
        const dirent* entry = ::readdir(dir_);
        if (entry == nullptr && errno != 0)
            report_read_error();
        return entry;
    }

  private:
    static void report_read_error();

    DIR* dir_;
};
