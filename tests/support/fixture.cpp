#include "fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

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

std::string read_file(const std::string& path) {
    std::string contents;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[4096];
    ssize_t got;
    while (fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0)
        contents.append(buffer, static_cast<std::size_t>(got));
    if (fd >= 0)
        ::close(fd);
    return contents;
}

void make_symlink(const std::string& target, const std::string& path) {
    if (::symlink(target.c_str(), path.c_str()) != 0)
        ADD_FAILURE() << "symlink " << path << ": " << std::strerror(errno);
}

void make_fifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0644) != 0)
        ADD_FAILURE() << "mkfifo " << path << ": " << std::strerror(errno);
}

void make_socket(const std::string& path) {
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (path.size() >= sizeof address.sun_path ||
        ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        ADD_FAILURE() << "cannot bind a socket at " << path;
    ::close(sock);
}

namespace {

// Empties the open folder dir_fd, depth first, relative to each open folder,
// so trees deeper than PATH_MAX and folders a test locked go too.
void remove_contents(int dir_fd) {
    DIR* dir = ::fdopendir(::dup(dir_fd));
    if (dir == nullptr)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        struct stat info {};
        if (::fstatat(dir_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(info.st_mode)) {
            ::fchmodat(dir_fd, name.c_str(), 0700, 0);
            const int sub = ::openat(dir_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (sub >= 0) {
                remove_contents(sub);
                ::close(sub);
            }
            ::unlinkat(dir_fd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(dir_fd, name.c_str(), 0);
        }
    }
}

} // namespace

void remove_tree(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    ::chmod(path.c_str(), 0700);
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        remove_contents(fd);
        ::close(fd);
    }
    ::rmdir(path.c_str());
}

std::string make_deep_path(const std::string& base, const std::string& segment,
                           std::size_t min_length) {
    std::string path = base;
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    while (fd >= 0 && path.size() < min_length) {
        if (::mkdirat(fd, segment.c_str(), 0755) != 0)
            ADD_FAILURE() << "mkdirat: " << std::strerror(errno);
        const int next = ::openat(fd, segment.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        path += "/" + segment;
    }
    if (fd < 0)
        ADD_FAILURE() << "cannot open " << path.size() << "-byte deep path";
    return path;
}

int open_dir(const std::string& base, const std::string& segment, std::size_t depth) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    for (std::size_t i = 0; i < depth && fd >= 0; ++i) {
        const int next = ::openat(fd, segment.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    return fd;
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

bool under_ci() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string_view(ci) == "true";
}

std::string repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}
