// cloud_status: answers CLOUD_GETSTATUS with the provider status rows of the
// log directory below BaseDir, and CLOUD_GETCONFIG with the sync configuration.
#include "cgi.h"
#include "cloud_status.h"

#include <cstdlib>

#ifndef CLOUD_CONF_PATH
#define CLOUD_CONF_PATH "/opt/etc/Cloud.conf"
#endif

int main() {
    ignore_broken_pipe();
    // A typical response is built here, on the stack, without an allocation.
    char storage[initial_response_capacity];
    Byte_buffer response(storage, sizeof storage);
    answer_cloud_status_request(std::getenv("QUERY_STRING"), CLOUD_CONF_PATH, response);
    // Out of memory: the header block alone, as for any failed action.
    send_response(response.failed() ? header_block : response.view());
    return 0;
}
