// Move-only holders that close a descriptor or a directory stream.
#pragma once

#include <dirent.h>
#include <unistd.h>

class Unique_fd {
  public:
    explicit Unique_fd(int fd = -1) : fd_(fd) {}
    Unique_fd(const Unique_fd&) = delete;
    Unique_fd& operator=(const Unique_fd&) = delete;
    Unique_fd(Unique_fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Unique_fd& operator=(Unique_fd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    ~Unique_fd() { reset(); }

    int get() const { return fd_; }
    // Only a negative descriptor is missing: 0 is valid when stdin is closed.
    bool valid() const { return fd_ >= 0; }
    // Hands the descriptor over, e.g. to a stdio stream that closes it.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

class Unique_dir {
  public:
    explicit Unique_dir(DIR* dir = nullptr) : dir_(dir) {}
    Unique_dir(const Unique_dir&) = delete;
    Unique_dir& operator=(const Unique_dir&) = delete;
    Unique_dir(Unique_dir&& other) noexcept : dir_(other.dir_) { other.dir_ = nullptr; }
    Unique_dir& operator=(Unique_dir&& other) noexcept {
        if (this != &other) {
            reset();
            dir_ = other.dir_;
            other.dir_ = nullptr;
        }
        return *this;
    }
    ~Unique_dir() { reset(); }

    DIR* get() const { return dir_; }
    // The stream's descriptor, for opening entries relative to it.
    int fd() const { return ::dirfd(dir_); }
    explicit operator bool() const { return dir_ != nullptr; }
    void reset() {
        if (dir_ != nullptr)
            ::closedir(dir_);
        dir_ = nullptr;
    }

  private:
    DIR* dir_;
};
