#include "cloud_status.h"

#include <cstdlib>
#include <cstring>

const char* Base_dir = "";
char* Log_dir = nullptr;

void set_base_dir(const char* base) {
    static constexpr char below_base[] = "/Cloud/.logs";
    Base_dir = base;
    std::free(Log_dir);
    const std::size_t length = std::strlen(base);
    Log_dir = static_cast<char*>(std::malloc(length + sizeof below_base));
    if (Log_dir == nullptr)
        return;
    std::memcpy(Log_dir, base, length);
    std::memcpy(Log_dir + length, below_base, sizeof below_base);
}
