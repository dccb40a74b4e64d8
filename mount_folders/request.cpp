#include "cgi.h"
#include "mount_folders.h"

void answer_mount_folders_request(char* query, Byte_buffer& response) {
    write_header_block(response);
    init_cgi(query);

    const char* path = get_cgi("action_mode");
    // The folders of a typical disk fit here without an allocation.
    char names[4096];
    Folder_list folders(names, sizeof names);
    if (get_all_folder_in_mount_path(path != nullptr ? path : "", folders) < 0)
        return;
    begin_row_list();
    for (std::string_view name : folders)
        write_row(response, {name}, Row_end::none);
}
