// A growable run of bytes over malloc/realloc, the one container the programs
// use. Running out of memory is recorded, never thrown: from then on every
// append does nothing and returns false, so a caller checks once, at the end.
#pragma once

#include <cstddef>
#include <string_view>

class Byte_buffer {
  public:
    Byte_buffer() = default;
    Byte_buffer(const Byte_buffer&) = delete;
    Byte_buffer& operator=(const Byte_buffer&) = delete;
    ~Byte_buffer();

    // Makes room for at least capacity bytes in all.
    bool reserve(std::size_t capacity);

    bool append(std::string_view bytes) {
        if ((failed_ || bytes.size() > capacity_ - size_) && !grow_for(bytes.size()))
            return false;
        copy_in(bytes);
        return true;
    }

    bool append(char byte) {
        if ((failed_ || size_ == capacity_) && !grow_for(1))
            return false;
        data_[size_++] = byte;
        return true;
    }

    // Forgets the contents but keeps the memory, and a recorded failure.
    void clear() { size_ = 0; }

    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }
    bool failed() const { return failed_; }

  private:
    // Room for extra more bytes; false (and failed from then on) when memory
    // has run out, or had run out before.
    bool grow_for(std::size_t extra);
    void copy_in(std::string_view bytes);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    bool failed_ = false;
};
