// The floor of a CGI: a static program that writes the header block only.
#include "cgi.h"

#include <unistd.h>

int main() {
    char storage[output_buffer_size];
    Output out(storage, sizeof storage, STDOUT_FILENO);
    write_header_block(out);
    out.flush();
    return 0;
}
