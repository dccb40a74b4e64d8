#include "byte_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

Byte_buffer::~Byte_buffer() {
    if (on_heap_)
        std::free(data_);
}

bool Byte_buffer::grow_for(std::size_t extra) {
    if (failed_ || extra > SIZE_MAX / 2 - size_) {
        failed_ = true;
        return false;
    }
    const std::size_t needed = size_ + extra;
    if (needed <= capacity_)
        return true;
    // Doubling keeps appends amortised constant time.
    std::size_t capacity = capacity_ < 64 ? 64 : capacity_;
    while (capacity < needed)
        capacity *= 2;
    void* grown = std::realloc(on_heap_ ? data_ : nullptr, capacity);
    if (grown == nullptr) {
        failed_ = true;
        return false;
    }
    if (!on_heap_ && size_ > 0)
        std::memcpy(grown, data_, size_);
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
    on_heap_ = true;
    return true;
}

void Byte_buffer::copy_in(std::string_view bytes) {
    // An empty view may have no data pointer at all.
    if (!bytes.empty())
        std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
}
