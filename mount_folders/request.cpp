#include "cgi.h"
#include "mount_folders.h"

namespace {

// Each folder's row goes out as the scan finds it: nothing is gathered, so
// memory stays the same however many folders there are.
bool write_folder_row(std::string_view name, void* context) {
    Output& out = *static_cast<Output*>(context);
    write_row(out, {name}, Row_end::none);
    return !out.ended(); // the reader has gone: stop scanning
}

} // namespace

void answer_mount_folders_request(char* query, Output& out) {
    write_header_block(out);
    init_cgi(query);

    const char* path = get_cgi("action_mode");
    begin_row_list();
    get_all_folder_in_mount_path(path != nullptr ? path : "", write_folder_row, &out);
}
