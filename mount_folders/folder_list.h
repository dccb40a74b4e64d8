// The folders a scan found, in the order they were added: their names one
// after another in one buffer, each preceded by its length.
#pragma once

#include "byte_buffer.h"

#include <cstddef>
#include <cstring>
#include <string_view>

class Folder_list {
  public:
    Folder_list() = default;
    // Starts in storage of the caller's, as a Byte_buffer does.
    Folder_list(char* storage, std::size_t capacity) : names_(storage, capacity) {}

    // False once memory has run out; the list is then incomplete.
    bool add(std::string_view name) {
        const std::size_t length = name.size();
        char* to = names_.begin_write(sizeof length + length);
        if (to == nullptr)
            return false;
        to = copy_to(to, {reinterpret_cast<const char*>(&length), sizeof length});
        names_.end_write(copy_to(to, name));
        return true;
    }

    void clear() { names_.clear(); }

    // Walks the names in order: for (std::string_view name : list).
    class Iterator {
      public:
        explicit Iterator(const char* at) : at_(at) {}
        std::string_view operator*() const { return {at_ + sizeof(std::size_t), length()}; }
        Iterator& operator++() {
            at_ += sizeof(std::size_t) + length();
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at_ != other.at_; }

      private:
        std::size_t length() const {
            std::size_t length;
            std::memcpy(&length, at_, sizeof length); // may be unaligned
            return length;
        }
        const char* at_;
    };
    Iterator begin() const { return Iterator(names_.data()); }
    Iterator end() const { return Iterator(names_.data() + names_.size()); }

  private:
    Byte_buffer names_;
};
