#include "fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

Temp_dir::Temp_dir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base ? base : "/tmp") + "/cgi-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
    ::chmod(pattern.c_str(), 0755);
    path_ = pattern;
}

Temp_dir::~Temp_dir() {
    remove_tree(path_);
}

void make_dir(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0)
        ADD_FAILURE() << "mkdir " << path << ": " << std::strerror(errno);
}

void write_file(const std::string& path, std::string_view contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        ADD_FAILURE() << "create " << path << ": " << std::strerror(errno);
        return;
    }
    if (::write(fd, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size()))
        ADD_FAILURE() << "write " << path;
    ::close(fd);
}

void make_symlink(const std::string& target, const std::string& path) {
    if (::symlink(target.c_str(), path.c_str()) != 0)
        ADD_FAILURE() << "symlink " << path << ": " << std::strerror(errno);
}

void make_fifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0644) != 0)
        ADD_FAILURE() << "mkfifo " << path << ": " << std::strerror(errno);
}

namespace {
int remove_entry(const char* path, const struct stat*, int type, FTW*) {
    if (type == FTW_DP)
        ::chmod(path, 0700);
    return ::remove(path) == 0 ? 0 : 0;
}
int open_up(const char* path, const struct stat*, int type, FTW*) {
    if (type == FTW_D || type == FTW_DNR)
        ::chmod(path, 0755);
    return 0;
}
} // namespace

void remove_tree(const std::string& path) {
    // Folders a test made unreadable are opened up first.
    ::nftw(path.c_str(), open_up, 16, FTW_PHYS);
    ::nftw(path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> directory_order(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        ADD_FAILURE() << "opendir " << path;
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

bool running_as_root() {
    return ::geteuid() == 0;
}
