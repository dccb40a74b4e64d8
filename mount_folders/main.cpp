// mount_folders: lists the visible sub-folders of the directory given in
// action_mode as a row list, one ["name"] row per folder.
#include "cgi.h"
#include "mount_folders.h"

#include <cstdio>
#include <cstdlib>

int main() {
    ignore_broken_pipe();
    answer_mount_folders_request(std::getenv("QUERY_STRING"));
    std::fflush(stdout);
    return 0;
}
