// mount_folders: lists the visible sub-folders of the directory given in
// action_mode as a row list, one ["name"] row per folder.
#include "cgi.h"
#include "mount_folders.h"

#include <cstdlib>

int main() {
    ignore_broken_pipe();
    // A typical response is built here, on the stack, without an allocation.
    char storage[initial_response_capacity];
    Byte_buffer response(storage, sizeof storage);
    answer_mount_folders_request(std::getenv("QUERY_STRING"), response);
    // Out of memory: the header block alone, as for any failed action.
    send_response(response.failed() ? header_block : response.view());
    return 0;
}
