// The floor of a CGI: a static program that writes the header block only.
#include "cgi.h"

int main() {
    std::string response;
    write_header_block(response);
    send_response(response);
    return 0;
}
