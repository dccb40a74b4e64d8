// mount_folders: lists the visible sub-folders of the directory given in
// action_mode as a row list, one ["name"] row per folder.
#include "cgi.h"
#include "mount_folders.h"

#include <cstdlib>
#include <string>

int main() {
    ignore_broken_pipe();
    std::string response;
    response.reserve(initial_response_capacity);
    answer_mount_folders_request(std::getenv("QUERY_STRING"), response);
    send_response(response);
    return 0;
}
