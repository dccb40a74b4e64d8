// The floor of a CGI: a static program that writes the header block only.
#include "cgi.h"

int main() {
    write_header_block(stdout);
    std::fflush(stdout);
    return 0;
}
