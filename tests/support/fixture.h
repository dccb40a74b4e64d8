// Scratch folders for tests, removed with everything in them.
#pragma once

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
void make_symlink(const std::string& target, const std::string& path);
void make_fifo(const std::string& path);
void remove_tree(const std::string& path);

// The entry names of a folder in the order its directory stream yields them,
// without "." and "..": the order a program reading it will see.
std::vector<std::string> directory_order(const std::string& path);

bool running_as_root();
