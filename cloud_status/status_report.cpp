#include "cgi.h"
#include "cloud_status.h"
#include "handles.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens for reading the very object an O_PATH descriptor refers to, through
// /proc/self/fd/N, whatever its name has become since it was looked at.
Unique_fd reopen_for_reading(int path_fd) {
    static constexpr char prefix[] = "/proc/self/fd/";
    char path[sizeof prefix + 10]; // room for any int's digits
    std::memcpy(path, prefix, sizeof prefix - 1);
    char digits[10];
    std::size_t count = 0;
    unsigned value = static_cast<unsigned>(path_fd);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    char* at = path + sizeof prefix - 1;
    while (count > 0)
        *at++ = digits[--count];
    *at = '\0';
    return Unique_fd(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
}

} // namespace

int read_log(const char* id, Log_record& record) {
    std::memset(record.bytes, 0, sizeof record.bytes);
    record.length = 0;

#if defined(O_PATH) && defined(AT_EMPTY_PATH)
    // The log folder lies on a stranger's disk. What a name leads to is
    // looked at through a descriptor of its own, and only that object is
    // ever read: something renamed into its place meanwhile (a FIFO, a
    // device) is never opened. O_PATH opens nothing (no device's open runs,
    // no FIFO waits for a writer) and O_NOFOLLOW takes a link as the link.
    // O_NONBLOCK and O_NOCTTY are for a kernel that ignores O_PATH.
    const Unique_fd entry(
        ::openat(Log_dir, id, O_PATH | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    // fstatat, not fstat: kernels before 3.6 refuse fstat on an O_PATH descriptor.
    if (!entry.valid() || ::fstatat(entry.get(), "", &info, AT_EMPTY_PATH) != 0)
        return -1;
    if (S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode))
        return 1; // the row of an empty record, as ever, but nothing is read
    // A link may lead anywhere on the device, and opening a device is an
    // action of its own. A file with more than one name is a hard link,
    // which may be to any file of the disk's file system (/opt may be on it).
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1)
        return -1;
    // Without /proc there is no way to it: no row.
    const Unique_fd fd = reopen_for_reading(entry.get());
    if (!fd.valid())
        return -1;
    const ssize_t got = ::read(fd.get(), record.bytes, sizeof record.bytes);
    if (got > 0)
        record.length = static_cast<std::size_t>(got);
    if (got == 1)
        record.bytes[0] = 'p';
    return 1;
#else
    // Without O_PATH a look and an open cannot be on the same object: no row.
    static_cast<void>(id);
    return -1;
#endif
}

void print_log(const Log_record& record, const char* id, Output& out) {
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

int ko_print_status(Output& out) {
    if (Log_dir < 0)
        return -1;
    // The stream takes the descriptor over, and closes it with itself.
    const Unique_dir dir(::fdopendir(Log_dir));
    if (!dir) {
        ::close(Log_dir);
        Log_dir = -1;
        return -1;
    }

    begin_row_list();
    int rows = 0;
    Log_record record;
    Entry_reader entries(dir.get());
    while (rows < max_status_rows) {
        const dirent* entry = entries.next();
        if (entry == nullptr)
            break;
        // The whole name, not only the id cut from it: "x/box" is a path too.
        if (!is_single_name(entry->d_name))
            continue;
        // Entries without a provider word (".", "..", stray files) are no log.
        const char* id = getlogid(entry->d_name);
        if (id == nullptr)
            continue;
        if (read_log(id, record) <= 0)
            continue;
        print_log(record, id, out);
        ++rows;
    }
    Log_dir = -1; // closed with the stream
    return 0;
}
