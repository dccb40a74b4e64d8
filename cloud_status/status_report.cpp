#include "cgi.h"
#include "cloud_status.h"
#include "handles.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int read_log(int log_dir_fd, const char* id, Log_record& record) {
    std::memset(record.bytes, 0, sizeof record.bytes);
    record.length = 0;

    // The log folder lies on a stranger's disk: look before opening. A link
    // may lead anywhere on the device, and opening a device is an action of
    // its own (a watchdog starts counting, a serial line changes state).
    struct stat info {};
    if (::fstatat(log_dir_fd, id, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode))
        return 1; // the row of an empty record, as ever, but nothing is read
    if (!S_ISREG(info.st_mode))
        return -1; // a link, a device, a socket

    // Relative to the log folder, so no path length limit applies. Should a
    // link or a FIFO have taken the file's place since, it is neither
    // followed nor waited on; should anything else have, it is not read.
    const Unique_fd fd(
        ::openat(log_dir_fd, id, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    const ssize_t got = ::read(fd.get(), record.bytes, sizeof record.bytes);
    if (got > 0)
        record.length = static_cast<std::size_t>(got);
    if (got == 1)
        record.bytes[0] = 'p';
    return 1;
}

void print_log(const Log_record& record, const char* id, Byte_buffer& out) {
    std::string_view message;
    if (record.length > 1) {
        const char* text = record.bytes + 1;
        const void* nul = std::memchr(text, '\0', record.length - 1);
        const std::size_t size =
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text)
                           : record.length - 1;
        message = std::string_view(text, size);
    }
    write_row(
        out,
        {provider_label(id), "", status_text(static_cast<unsigned char>(record.bytes[0])), message},
        Row_end::line_feed);
}

int ko_print_status(Byte_buffer& out) {
    const Unique_dir dir = open_log_dir();
    if (!dir)
        return -1;

    begin_row_list();
    const int dir_fd = dir.fd();
    int rows = 0;
    Log_record record;
    while (rows < max_status_rows) {
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr)
            break;
        // Entries without a provider word (".", "..", stray files) are no log.
        const char* id = getlogid(entry->d_name);
        if (id == nullptr)
            continue;
        if (read_log(dir_fd, id, record) <= 0)
            continue;
        print_log(record, id, out);
        ++rows;
    }
    return 0;
}
