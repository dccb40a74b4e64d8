#include "cgi.h"
#include "handles.h"
#include "mount_folders.h"

#include <fcntl.h>
#include <string_view>

namespace {

constexpr std::string_view system_folders[] = {
    "SYSTEM VOLUME INFORMATION", "RECYCLER", "RECYCLED", // FAT and NTFS
    "lost+found",                                        // ext
};

// ASCII upper case only, as toupper in the POSIX locale: bytes from 0x80 up
// are compared unchanged, whatever the locale.
unsigned char ascii_upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Whether an entry of this d_type may open as a folder, and so is opened to
// find out: a folder, a link, or an entry whose type the file system does not
// report (DT_UNKNOWN, as on some network and FUSE disks). Any other known
// type is passed over without a system call.
bool entry_may_be_folder(unsigned char type) {
    return type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN;
}

} // namespace

int upper_strcmp(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return static_cast<int>(a.size()) - static_cast<int>(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_upper(static_cast<unsigned char>(a[i])) !=
            ascii_upper(static_cast<unsigned char>(b[i])))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int test_if_System_folder(std::string_view name) {
    for (std::string_view folder : system_folders) {
        if (upper_strcmp(name, folder) == 0)
            return 1;
    }
    return 0;
}

int test_if_dir(int dir_fd, const char* name) {
    if (!is_single_name(name))
        return 0;
    // The flags opendir uses: a folder we may not read does not count. Keep
    // O_DIRECTORY: on a device node, a FIFO or a socket on the disk it fails
    // before the node's own open runs, so nothing but a folder is ever opened
    // (opening a device is an action: a watchdog may start counting).
    const Unique_fd fd(
        ::openat(dir_fd, name, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    return fd.valid() ? 1 : 0;
}

int get_all_folder_in_mount_path(const char* path, Folder_sink found, void* context) {
    Unique_dir dir(::opendir(path));
    if (!dir)
        return -1;

    const int dir_fd = dir.fd();
    Entry_reader entries(dir.get());
    while (const dirent* entry = entries.next()) {
        if (entry->d_name[0] == '.') // ".", ".." and every hidden name
            continue;
        const std::string_view name = entry->d_name;
        if (test_if_System_folder(name))
            continue;
        if (!entry_may_be_folder(entry->d_type) || !test_if_dir(dir_fd, entry->d_name))
            continue;
        if (!found(name, context))
            break;
    }
    return 0;
}
