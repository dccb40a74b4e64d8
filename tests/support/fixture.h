// Scratch folders for tests, removed with everything in them.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class Temp_dir {
  public:
    Temp_dir(); // world-traversable, so unprivileged runs can reach inside
    Temp_dir(const Temp_dir&) = delete;
    Temp_dir& operator=(const Temp_dir&) = delete;
    ~Temp_dir();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void make_dir(const std::string& path);
void write_file(const std::string& path, std::string_view contents);
std::string read_file(const std::string& path); // "" when it cannot be read
void make_symlink(const std::string& target, const std::string& path);
void make_fifo(const std::string& path);
void make_socket(const std::string& path); // a bound Unix socket's file
void remove_tree(const std::string& path);

// Makes base/segment/segment/... until the path is at least min_length bytes
// long (past PATH_MAX if need be, working relative to each open folder) and
// returns it.
std::string make_deep_path(const std::string& base, const std::string& segment,
                           std::size_t min_length);

// Opens base/segment/... depth levels down, relative to each open folder;
// -1 on failure. The caller closes it.
int open_dir(const std::string& base, const std::string& segment, std::size_t depth);

// The entry names of a folder in the order its directory stream yields them,
// without "." and "..": the order a program reading it will see.
std::vector<std::string> directory_order(const std::string& path);

// The entries of folder that wanted holds (a set, or a map by name), in the
// order its directory stream yields them, at most max_count of them: what a
// program reading the folder must give, in its order.
template <typename Names = std::set<std::string>>
std::vector<std::string> in_stream_order(const std::string& folder, const Names& wanted,
                                         std::size_t max_count = SIZE_MAX) {
    std::vector<std::string> names;
    for (const std::string& name : directory_order(folder)) {
        if (wanted.count(name) != 0 && names.size() < max_count)
            names.push_back(name);
    }
    return names;
}

bool running_as_root();

// Whether this is a CI run (CI=true), which must run every test.
bool under_ci();

// Skips the rest of a test that needs root (the number of rows it guards then
// goes unchecked); under CI that is a failure instead.
#define SKIP_UNLESS_ROOT(why)                                                                      \
    do {                                                                                           \
        if (!running_as_root()) {                                                                  \
            if (under_ci())                                                                        \
                FAIL() << "needs root under CI: " << (why);                                        \
            GTEST_SKIP() << (why);                                                                 \
        }                                                                                          \
    } while (false)

// text, times times over.
std::string repeated(std::string_view text, int times);
