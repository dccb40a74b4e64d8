#include "cgi.h"

#include <unistd.h>

void Entry_reader::report_read_error() {
    // Fixed text: a path or a name could carry a line break into the log.
    static constexpr std::string_view message = "a folder could not be read to its end\n";
    static_cast<void>(::write(STDERR_FILENO, message.data(), message.size()));
}
