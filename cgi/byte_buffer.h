// A growable run of bytes over malloc/realloc, the one container the programs
// use. Running out of memory is recorded, never thrown: from then on every
// append does nothing and returns false, so a caller checks once, at the end.
// It may start in storage of the caller's (on the stack, say): a typical
// response then costs no allocation at all.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

class Byte_buffer {
  public:
    Byte_buffer() = default;
    // Starts in storage, which must outlive the buffer; moves to the heap
    // only when that is full.
    Byte_buffer(char* storage, std::size_t capacity) : data_(storage), capacity_(capacity) {}
    Byte_buffer(const Byte_buffer&) = delete;
    Byte_buffer& operator=(const Byte_buffer&) = delete;
    ~Byte_buffer();

    bool append(std::string_view bytes) {
        if ((failed_ || bytes.size() > capacity_ - size_) && !grow_for(bytes.size()))
            return false;
        copy_in(bytes);
        return true;
    }

    // Room for up to max more bytes, to be written in place: returns where
    // they go, or null once memory has run out. end_write then takes what
    // was written, up to end. Cheaper than many small appends.
    char* begin_write(std::size_t max) {
        if ((failed_ || max > capacity_ - size_) && !grow_for(max))
            return nullptr;
        return data_ + size_;
    }
    void end_write(const char* end) { size_ = static_cast<std::size_t>(end - data_); }

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
    bool on_heap_ = false;
    bool failed_ = false;
};

// Copies bytes to to, a place begin_write gave room at, and returns the end.
inline char* copy_to(char* to, std::string_view bytes) {
    std::memcpy(to, bytes.data(), bytes.size());
    return to + bytes.size();
}
