// mount_folders: lists the visible sub-folders of the directory given in
// action_mode as a row list, one ["name"] row per folder.
#include "cgi.h"
#include "mount_folders.h"

#include <cstdlib>
#include <new>
#include <string>

int main() {
    ignore_broken_pipe();
    std::string response;
    try {
        response.reserve(initial_response_capacity);
        answer_mount_folders_request(std::getenv("QUERY_STRING"), response);
    } catch (const std::bad_alloc&) {
        // Out of memory: the header block alone, as for any failed action.
        send_response(header_block);
        return 0;
    }
    send_response(response);
    return 0;
}
