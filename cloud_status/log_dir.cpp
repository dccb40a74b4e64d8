#include "cloud_status.h"

#include <cstdlib>
#include <cstring>

const char* Base_dir = "";
const char* Log_dir = nullptr;

namespace {

// A log directory of up to 255 bytes, the usual case, needs no allocation; a
// longer one goes to the heap instead of being cut.
char log_dir_buffer[256];
char* long_log_dir = nullptr;

} // namespace

void set_base_dir(const char* base) {
    static constexpr char below_base[] = "/Cloud/.logs";
    Base_dir = base;
    std::free(long_log_dir);
    long_log_dir = nullptr;
    const std::size_t length = std::strlen(base);
    const std::size_t size = length + sizeof below_base;
    char* log_dir = log_dir_buffer;
    if (size > sizeof log_dir_buffer)
        log_dir = long_log_dir = static_cast<char*>(std::malloc(size));
    Log_dir = log_dir;
    if (log_dir == nullptr)
        return;
    std::memcpy(log_dir, base, length);
    std::memcpy(log_dir + length, below_base, sizeof below_base);
}
