// The configuration dump over any file contents, against a model that uses
// fgets and strtok exactly as the classic dump does (so the pieces must be
// fgets-exact). Output never exceeds the input plus the marks.
#include "cloud_status.h"
#include "support/captured_output.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::string model_dump(const std::uint8_t* data, std::size_t size, std::size_t& pieces) {
    std::string out;
    std::FILE* in = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    char line[256];
    pieces = 0;
    while (in != nullptr && std::fgets(line, sizeof line, in) != nullptr) {
        ++pieces;
        char* save = nullptr;
        int index = 0;
        for (char* field = strtok_r(line, ",", &save); field != nullptr;
             field = strtok_r(nullptr, ",", &save), ++index) {
            std::string text = field;
            if (index == 0)
                out += "&#60" + text;
            else if (index == 1 || index == 2 || index == 4 || index == 5)
                out += "&#62" + text;
            else if (index == 6)
                out += "&#62" + text.substr(0, text.size() - 1) + "/";
        }
    }
    if (in != nullptr)
        std::fclose(in);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0; // fmemopen wants a buffer
    // The dump reads a descriptor: give it one that holds the data.
    const int fd = ::memfd_create("config", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size) ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        std::fprintf(stderr, "memfd\n");
        std::abort();
    }
    Captured_output captured;
    write_marked_up_config(fd, captured.out());
    ::close(fd);
    const std::string dump = captured.text();
    if (!captured.guard_intact()) {
        std::fprintf(stderr, "written past the output buffer\n");
        std::abort();
    }

    std::size_t pieces = 0;
    const std::string expected = model_dump(data, size, pieces);
    if (dump != expected) {
        std::fprintf(stderr, "dump differs from the fgets/strtok model\n");
        std::abort();
    }
    // Six marks of four bytes at most per piece; a field never grows.
    if (dump.size() > size + 24 * pieces) {
        std::fprintf(stderr, "more output than input and marks\n");
        std::abort();
    }
    return 0;
}
