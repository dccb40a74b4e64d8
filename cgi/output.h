// The response on its way out: one fixed buffer that bytes are put into and
// that is sent to a descriptor each time it is full and once more when the
// response ends, as a C library's putc does. A response of any length costs
// the same memory; a typical one leaves in one write. Callers never reserve
// room or compute a worst case: whatever they write takes the one path.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

class Output {
  public:
    // Writes through storage (capacity bytes, at least one, outliving the
    // Output) to fd.
    Output(char* storage, std::size_t capacity, int fd)
        : storage_(storage), next_(storage), end_(storage + capacity), fd_(fd) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void put(char c) {
        if (next_ == end_)
            flush();
        *next_++ = c;
    }

    // Inlined: most responses are a few dozen short appends, and a call for
    // each would cost more than the copy.
    [[gnu::always_inline]] void append(std::string_view bytes) {
        if (bytes.size() <= static_cast<std::size_t>(end_ - next_)) {
            if (!bytes.empty())
                std::memcpy(next_, bytes.data(), bytes.size());
            next_ += bytes.size();
        } else {
            append_in_pieces(bytes);
        }
    }

    // Sends what the buffer holds and empties it. Waits while a
    // non-blocking output is full. A reader that is gone or a failed write
    // (a full disk) ends the response quietly: nothing more is sent, and the
    // exit status stays 0.
    void flush();

    // The response has ended early: the reader is gone, or a write failed.
    bool ended() const { return ended_; }

  private:
    void append_in_pieces(std::string_view bytes);

    char* storage_;
    char* next_; // where the next byte goes
    char* end_;
    int fd_;
    bool ended_ = false;
};
