#include "cloud_status.h"
#include "handles.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// One fgets buffer: a longer line is read, and marked up, in pieces.
constexpr int config_line_buffer_size = 256;

constexpr std::string_view open_mark = "&#60";
constexpr std::string_view next_mark = "&#62";

} // namespace

void mark_up_config_piece(std::string_view piece, Byte_buffer& out) {
    std::size_t pos = 0;
    for (int index = 0; index <= 6; ++index) {
        while (pos < piece.size() && piece[pos] == ',')
            ++pos;
        if (pos == piece.size())
            return;
        std::size_t end = piece.find(',', pos);
        if (end == std::string_view::npos)
            end = piece.size();
        const std::string_view field(piece.data() + pos, end - pos);
        pos = end;

        if (index == 0) {
            out.append(open_mark);
            out.append(field);
        } else if (index == 6) {
            out.append(next_mark);
            out.append({field.data(), field.size() - 1});
            out.append('/');
        } else if (index != 3) {
            out.append(next_mark);
            out.append(field);
        }
    }
}

void write_marked_up_config(std::FILE* in, Byte_buffer& out) {
    char line[config_line_buffer_size];
    while (std::fgets(line, sizeof line, in) != nullptr) {
        // A NUL byte read from the file ends the piece, as for any C string.
        mark_up_config_piece(std::string_view(line, std::strlen(line)), out);
    }
}

void print_cloud_config(const char* path, Byte_buffer& out) {
    if (::access(path, F_OK) != 0)
        return;

    // O_NONBLOCK: a FIFO at the configuration path must not hang the request.
    Unique_fd fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    std::FILE* file = fd.valid() ? ::fdopen(fd.get(), "rb") : nullptr;
    if (file == nullptr) {
        static constexpr std::string_view message = "read Cloud error";
        // Straight to the descriptor: nothing else is ever written there.
        static_cast<void>(::write(STDERR_FILENO, message.data(), message.size()));
        return;
    }
    fd.release(); // fclose closes it now
    write_marked_up_config(file, out);
    std::fclose(file);
}
