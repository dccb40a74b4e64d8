// The mount folder lister: the visible sub-folders of one directory.
#pragma once

#include "output.h"

#include <string_view>

// Receives each folder a scan accepts, as it is found; returns false to end
// the scan there (the response has ended).
using Folder_sink = bool (*)(std::string_view name, void* context);

// Hands found(name, context) the names of the entries of path that open as a
// directory (symbolic links to folders included), in directory stream order,
// leaving out hidden names and file-system bookkeeping folders. Keeps nothing
// of them. Returns 0, or -1 when path cannot be opened (nothing was found).
int get_all_folder_in_mount_path(const char* path, Folder_sink found, void* context);

// 1 when name equals, ignoring ASCII case, a folder that FAT, NTFS or ext
// volumes keep for themselves; otherwise 0.
int test_if_System_folder(std::string_view name);

// 1 when name, relative to the open directory dir_fd, opens as a directory;
// otherwise 0 (a file, a broken or looping link, an unreadable folder, a name
// holding '/', which is a path and never opened).
int test_if_dir(int dir_fd, const char* name);

// 0 when a and b are equal ignoring ASCII case; otherwise the difference of
// their lengths, or the 1-based position of the first differing byte.
int upper_strcmp(std::string_view a, std::string_view b);

// Answers one request: the header block, then the folder rows of the directory
// in action_mode, each written as it is found (no body when it cannot be listed).
void answer_mount_folders_request(char* query, Output& out);
