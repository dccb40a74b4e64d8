// cloud_status: answers CLOUD_GETSTATUS with the provider status rows of the
// log directory below BaseDir, and CLOUD_GETCONFIG with the sync configuration.
#include "cgi.h"
#include "cloud_status.h"

int main() {
    return serve_request(answer_cloud_status_request);
}
