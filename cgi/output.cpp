#include "output.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// Waits until fd takes more; false when it never will.
bool wait_until_writable(int fd) {
    pollfd output = {fd, POLLOUT, 0};
    for (;;) {
        const int ready = ::poll(&output, 1, -1);
        if (ready > 0)
            return (output.revents & POLLOUT) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

void Output::flush() {
    const char* at = storage_;
    std::size_t left = static_cast<std::size_t>(next_ - storage_);
    next_ = storage_;
    while (left > 0 && !ended_) {
        const ssize_t written = ::write(fd_, at, left);
        if (written > 0) {
            at += written;
            left -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        // A web server may hand over a non-blocking pipe or socket: when its
        // reader is slower than we are, wait for it rather than cut the
        // response. A reader that is gone (EPIPE) or any other error ends it.
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait_until_writable(fd_))
            continue;
        ended_ = true;
    }
}

void Output::append_in_pieces(std::string_view bytes) {
    while (!bytes.empty()) {
        if (next_ == end_)
            flush();
        const auto room = static_cast<std::size_t>(end_ - next_);
        const std::size_t piece = room < bytes.size() ? room : bytes.size();
        std::memcpy(next_, bytes.data(), piece);
        next_ += piece;
        bytes.remove_prefix(piece);
    }
}
