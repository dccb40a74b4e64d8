// What an Output sends, kept for a test: written through a buffer of the
// test's own, with a guard behind it, into a file in memory. The guard is
// NUL bytes, which no writer ever puts out (rows escape them, and a
// configuration piece ends at one), so a write past the buffer cannot pass
// for the guard.
#pragma once

#include "cgi.h"

#include <cstddef>
#include <string>

class Captured_output {
  public:
    explicit Captured_output(std::size_t capacity = output_buffer_size);
    Captured_output(const Captured_output&) = delete;
    Captured_output& operator=(const Captured_output&) = delete;
    ~Captured_output();

    Output& out() { return out_; }
    // Sends what the buffer holds; returns all that was sent.
    std::string text();
    // Nothing was written past the buffer.
    bool guard_intact() const;

  private:
    static constexpr std::size_t guard_size = 64;
    int fd_;
    std::size_t capacity_;
    std::string storage_;
    Output out_;
};
