#include "cgi.h"
#include "mount_folders.h"

void answer_mount_folders_request(char* query, std::string& response) {
    write_header_block(response);
    init_cgi(query);

    const char* path = get_cgi("action_mode");
    std::vector<std::string> names;
    if (get_all_folder_in_mount_path(path != nullptr ? path : "", names) < 0)
        return;
    begin_row_list();
    for (const std::string& name : names)
        write_row(response, {name}, Row_end::none);
}
