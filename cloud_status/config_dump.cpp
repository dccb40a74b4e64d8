#include "cloud_status.h"
#include "handles.h"
#include "response.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The marks before a line's first field and before each later one, the
// numeric character references of '<' and '>' without their ';'.
constexpr std::string_view open_mark = "&#60";
constexpr std::string_view next_mark = "&#62";

// Reads a file in the pieces fgets(line, 256, file) gives: a line with its
// line end, or 255 bytes of a longer one. A read error ends the pieces and
// drops the one being read, as fgets does.
class Piece_reader {
  public:
    explicit Piece_reader(int fd) : fd_(fd) {}

    // The next piece; empty at the end of the file or after an error.
    std::string_view next() {
        for (;;) {
            const std::size_t available = end_ - start_;
            const std::size_t limit = available < max_piece ? available : max_piece;
            const char* piece = buffer_ + start_;
            if (const void* line_end = std::memchr(piece, '\n', limit))
                return take(static_cast<const char*>(line_end) - piece + 1);
            if (available >= max_piece || (at_end_ && available > 0))
                return take(limit);
            if (at_end_ || !read_more())
                return {};
        }
    }

  private:
    static constexpr std::size_t max_piece = 255;

    std::string_view take(std::size_t size) {
        const std::string_view piece(buffer_ + start_, size);
        start_ += size;
        return piece;
    }

    // Keeps what is left of the buffer and reads behind it. False on an error.
    bool read_more() {
        const std::size_t left = end_ - start_;
        std::memmove(buffer_, buffer_ + start_, left);
        start_ = 0;
        end_ = left;
        ssize_t got;
        do
            got = ::read(fd_, buffer_ + end_, sizeof buffer_ - end_);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            return false;
        if (got == 0)
            at_end_ = true;
        end_ += static_cast<std::size_t>(got);
        return true;
    }

    int fd_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool at_end_ = false;
    char buffer_[4096];
};

} // namespace

void mark_up_config_piece(std::string_view piece, Output& out) {
    const char* at = piece.data();
    // The text of a piece ends at a NUL, as a C string's does.
    const void* nul = std::memchr(at, '\0', piece.size());
    const char* const end = nul != nullptr ? static_cast<const char*>(nul) : at + piece.size();
    for (int index = 0; index <= 6; ++index) {
        while (at < end && *at == ',')
            ++at;
        if (at == end)
            break;
        const char* field_end = at;
        while (field_end < end && *field_end != ',')
            ++field_end;
        if (index != 3) {
            if (index == 0)
                out.append(open_mark);
            else
                out.append(next_mark);
            if (index == 6) {
                // Field 6 loses its last byte to the mark that ends a line.
                out.append({at, static_cast<std::size_t>(field_end - at - 1)});
                out.put('/');
            } else {
                out.append({at, static_cast<std::size_t>(field_end - at)});
            }
        }
        at = field_end;
    }
}

void write_marked_up_config(int fd, Output& out) {
    Piece_reader pieces(fd);
    for (std::string_view piece = pieces.next(); !piece.empty() && !out.ended();
         piece = pieces.next())
        mark_up_config_piece(piece, out);
}

// Only a regular file is a configuration. Anything else at the path (a
// device, a FIFO, a folder, a socket) reads as a missing file: it could block,
// never end, or do something merely by being opened.
void print_cloud_config(const char* path, Output& out) {
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode)) // links are followed
        return;

    // O_NONBLOCK: should a FIFO have taken the file's place since, opening it
    // must not wait for a writer.
    const Unique_fd fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        write_error_log("read Cloud error"); // its 16 bytes, no line end
        return;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    write_marked_up_config(fd.get(), out);
}
