// The folders a scan found: their names one after another in one buffer, each
// ended by a NUL (a file name never holds one), in the order they were added.
#pragma once

#include "byte_buffer.h"

#include <cstddef>
#include <cstring>
#include <string_view>

class Folder_list {
  public:
    // False once memory has run out; the list is then incomplete.
    bool add(std::string_view name) {
        if (!names_.append(name) || !names_.append('\0'))
            return false;
        ++count_;
        return true;
    }

    void clear() {
        names_.clear();
        count_ = 0;
    }

    std::size_t count() const { return count_; }

    // Walks the names in order: for (std::string_view name : list).
    class Iterator {
      public:
        explicit Iterator(const char* at) : at_(at) {}
        std::string_view operator*() const { return {at_, std::strlen(at_)}; }
        Iterator& operator++() {
            at_ += std::strlen(at_) + 1;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at_ != other.at_; }

      private:
        const char* at_;
    };
    Iterator begin() const { return Iterator(names_.data()); }
    Iterator end() const { return Iterator(names_.data() + names_.size()); }

  private:
    Byte_buffer names_;
    std::size_t count_ = 0;
};
