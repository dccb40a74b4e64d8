// mount_folders: lists the visible sub-folders of the directory given in
// action_mode as a row list, one ["name"] row per folder.
#include "cgi.h"
#include "mount_folders.h"

int main() {
    return serve_request(answer_mount_folders_request);
}
