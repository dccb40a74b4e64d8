// mount_folders: lists the visible sub-folders of the directory given in
// action_mode as a row list, one ["name"] row per folder.
#include "cgi.h"
#include "mount_folders.h"

#include <cstdio>
#include <cstdlib>

int main() {
    write_header_block(stdout);
    init_cgi(std::getenv("QUERY_STRING"));

    const char* path = get_cgi("action_mode");
    std::vector<std::string> names;
    if (get_all_folder_in_mount_path(path != nullptr ? path : "", names) >= 0) {
        begin_row_list();
        for (const std::string& name : names)
            write_row(stdout, {name}, Row_end::none);
    }

    std::fflush(stdout);
    return 0;
}
