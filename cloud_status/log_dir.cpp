#include "cloud_status.h"

#include <fcntl.h>

const char* Base_dir = "";

void set_base_dir(const char* base) {
    Base_dir = base;
}

namespace {

// O_DIRECTORY: anything but a folder fails before it is opened.
constexpr int folder_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

// BaseDir is followed wherever it leads: the request names it, and mount
// points are often links. Cloud and .logs lie on the disk, which a stranger
// may have written: each must be a folder itself, never a link that leads
// elsewhere on the device. Each step opens relative to the one before, so no
// path is rebuilt and no length limit applies.
Unique_dir open_log_dir() {
    // No BaseDir: the log folder is /Cloud/.logs.
    const Unique_fd base(::open(Base_dir[0] != '\0' ? Base_dir : "/", folder_flags));
    if (!base.valid())
        return Unique_dir();
    const Unique_fd cloud(::openat(base.get(), "Cloud", folder_flags | O_NOFOLLOW));
    if (!cloud.valid())
        return Unique_dir();
    Unique_fd logs(::openat(cloud.get(), ".logs", folder_flags | O_NOFOLLOW));
    if (!logs.valid())
        return Unique_dir();
    Unique_dir dir(::fdopendir(logs.get()));
    if (dir)
        logs.release(); // the stream closes it now
    return dir;
}
