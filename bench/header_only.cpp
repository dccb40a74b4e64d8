// The floor of a CGI: a static program that writes the header block only.
#include "cgi.h"

int main() {
    send_response(header_block);
    return 0;
}
