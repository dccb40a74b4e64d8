// A stand-in for readdir, linked into test-only builds of the programs with
// -Wl,--wrap: it hands out what the real readdir gives, changed as the
// environment asks, so that a test can make a directory misbehave in ways no
// kernel here does:
//   READDIR_SLASH=c          the byte c in an entry's name is handed out as
//                            '/', as a kernel before 5.4 passes on a crafted
//                            disk's names;
//   READDIR_FAIL=name        at the entry of that name readdir fails with EIO,
//                            as on a failing USB disk;
//   READDIR_UNKNOWN_TYPE=1   every entry's type is DT_UNKNOWN, as some
//                            network and FUSE file systems report.
// It is built with the programs' own toolchain and C library, so it needs
// nothing but the C library.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>

// The symbol a call of readdir binds to under the programs' flags: glibc and
// uClibc redirect it to readdir64 when offsets are 64 bits; musl does not.
#if defined(__USE_FILE_OFFSET64)
#define READDIR_SYMBOL "readdir64"
#else
#define READDIR_SYMBOL "readdir"
#endif

extern "C" dirent* real_readdir(DIR* dir) __asm__("__real_" READDIR_SYMBOL);
extern "C" dirent* standin_readdir(DIR* dir) __asm__("__wrap_" READDIR_SYMBOL);

extern "C" dirent* standin_readdir(DIR* dir) {
    dirent* entry = real_readdir(dir);
    if (entry == nullptr)
        return entry;
    const char* fail = std::getenv("READDIR_FAIL");
    if (fail != nullptr && std::strcmp(entry->d_name, fail) == 0) {
        errno = EIO;
        return nullptr;
    }
    const char* unknown = std::getenv("READDIR_UNKNOWN_TYPE");
    if (unknown != nullptr && unknown[0] == '1')
        entry->d_type = DT_UNKNOWN;
    const char* slash = std::getenv("READDIR_SLASH");
    if (slash != nullptr && slash[0] != '\0') {
        for (char* at = entry->d_name; *at != '\0'; ++at) {
            if (*at == slash[0])
                *at = '/';
        }
    }
    return entry;
}
