// cloud_status: answers CLOUD_GETSTATUS with the provider status rows of the
// log directory below BaseDir, and CLOUD_GETCONFIG with the sync configuration.
#include "cgi.h"
#include "cloud_status.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef CLOUD_CONF_PATH
#define CLOUD_CONF_PATH "/opt/etc/Cloud.conf"
#endif

int main() {
    write_header_block(stdout);
    init_cgi(std::getenv("QUERY_STRING"));

    const char* action = get_cgi("action_mode");
    if (action == nullptr)
        action = "";
    const char* base = get_cgi("BaseDir");
    set_base_dir(base != nullptr ? base : "");

    if (std::strcmp(action, "CLOUD_GETCONFIG") == 0)
        print_cloud_config(CLOUD_CONF_PATH);
    else if (std::strcmp(action, "CLOUD_GETSTATUS") == 0)
        ko_print_status();

    std::fflush(stdout);
    return 0;
}
