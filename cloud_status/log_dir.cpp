#include "cloud_status.h"

const char* Base_dir = "";
std::string Log_dir;

void set_base_dir(const char* base) {
    Base_dir = base;
    Log_dir = base;
    Log_dir += "/Cloud/.logs";
}
