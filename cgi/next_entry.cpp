#include "cgi.h"

#include <cerrno>
#include <unistd.h>

const dirent* next_entry(DIR* dir) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr && errno != 0) {
        // Fixed text: a path or a name could carry a line break into the log.
        static constexpr std::string_view message =
            "a folder could not be read to its end (a failing disk?): the answer is short\n";
        static_cast<void>(::write(STDERR_FILENO, message.data(), message.size()));
    }
    return entry;
}
