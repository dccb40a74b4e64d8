// cloud_status: answers CLOUD_GETSTATUS with the provider status rows of the
// log directory below BaseDir, and CLOUD_GETCONFIG with the sync configuration.
#include "cgi.h"
#include "cloud_status.h"

#ifndef CLOUD_CONF_PATH
#define CLOUD_CONF_PATH "/opt/etc/Cloud.conf"
#endif

namespace {

void answer(char* query, Output& out) {
    answer_cloud_status_request(query, CLOUD_CONF_PATH, out);
}

} // namespace

int main() {
    return serve_request(answer);
}
