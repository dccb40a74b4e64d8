// The response on its way out: one fixed buffer, sent to a descriptor each
// time it fills and once more when the response ends, so a response of any
// length costs the same memory. A typical response leaves in one write.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

class Output {
  public:
    // Writes through storage (at least 64 bytes, outliving the Output) to fd.
    Output(char* storage, std::size_t capacity, int fd)
        : storage_(storage), capacity_(capacity), fd_(fd) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void append(std::string_view bytes) {
        if (bytes.size() <= capacity_ - size_) {
            if (!bytes.empty())
                std::memcpy(storage_ + size_, bytes.data(), bytes.size());
            size_ += bytes.size();
        } else {
            append_in_pieces(bytes);
        }
    }

    // Room for up to max more bytes, to be written in place: returns where
    // they go, having sent what the buffer held first when the room was not
    // there. Null when max is more than the whole buffer, or when the
    // response ended as room was made. end_write then takes what was
    // written, up to end.
    char* begin_write(std::size_t max) {
        if (max > capacity_ - size_ && !make_room(max))
            return nullptr;
        return storage_ + size_;
    }
    void end_write(const char* end) { size_ = static_cast<std::size_t>(end - storage_); }

    // Sends what the buffer holds. Waits while a non-blocking output is
    // full. A reader that is gone or a failed write (a full disk) ends the
    // response quietly: nothing more is sent, and the exit status stays 0.
    void flush();

    // The response has ended early: the reader is gone, or a write failed.
    bool ended() const { return ended_; }
    std::size_t capacity() const { return capacity_; }

  private:
    bool make_room(std::size_t max);
    void append_in_pieces(std::string_view bytes);

    char* storage_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    int fd_;
    bool ended_ = false;
};

// Copies bytes to to, a place begin_write gave room at, and returns the end.
inline char* copy_to(char* to, std::string_view bytes) {
    std::memcpy(to, bytes.data(), bytes.size());
    return to + bytes.size();
}
