// Compiled into each program that answers requests, with the configuration
// path it reads in CLOUD_CONF_PATH: the installed program's fixed path, or a
// test's or the demo's own.
#include "cgi.h"
#include "cloud_status.h"

#include <cstring>

void answer_cloud_status_request(char* query, Output& out) {
    write_header_block(out);
    init_cgi(query);

    const char* action = get_cgi("action_mode");
    if (action == nullptr)
        action = "";
    const char* base = get_cgi("BaseDir");
    Base_dir = base != nullptr ? base : "";

    if (std::strcmp(action, "CLOUD_GETCONFIG") == 0) {
        print_cloud_config(CLOUD_CONF_PATH, out);
    } else if (std::strcmp(action, "CLOUD_GETSTATUS") == 0) {
        // Only the status report needs the log folder: it is opened then.
        Log_dir = open_log_dir();
        ko_print_status(out);
    }
}
