#include "cloud_status.h"
#include "handles.h"

#include <fcntl.h>

const char* Base_dir = "";
int Log_dir = -1;

namespace {

// O_DIRECTORY: anything but a folder fails before it is opened.
constexpr int folder_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

// BaseDir is followed wherever it leads: the request names it, and mount
// points are often links. Cloud and .logs lie on the disk, which a stranger
// may have written: each must be a folder itself, never a link that leads
// elsewhere on the device. Each step opens relative to the one before, so no
// path is rebuilt and no length limit applies.
int open_log_dir() {
    // No BaseDir: the log folder is /Cloud/.logs.
    const Unique_fd base(::open(Base_dir[0] != '\0' ? Base_dir : "/", folder_flags));
    if (!base.valid())
        return -1;
    const Unique_fd cloud(::openat(base.get(), "Cloud", folder_flags | O_NOFOLLOW));
    if (!cloud.valid())
        return -1;
    return ::openat(cloud.get(), ".logs", folder_flags | O_NOFOLLOW);
}
