#include "fuzz_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

const std::string fixture_config_dump = "&#60a&#62b&#62c&#62e&#62f&#62g/&#601&#62\"<x>\"\n";

namespace {

std::string fixture_root;

void write_file(const std::string& path, const std::string& contents) {
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(contents.data(), 1, contents.size(), file);
        std::fclose(file);
    }
}

void remove_fixture() {
    if (!fixture_root.empty())
        std::system(("rm -rf '" + fixture_root + "'").c_str());
}

} // namespace

void enter_fuzz_fixture() {
    char pattern[] = "/tmp/cgi-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr || ::chdir(pattern) != 0)
        std::abort();
    fixture_root = pattern;
    std::atexit(remove_fixture);

    for (const char* folder : {"disk", "disk/Cloud", "disk/Cloud/.logs", "disk/Music",
                               "disk/Music/Albums", "disk/q\"uote", "disk/<b>", "disk/.hidden",
                               "disk/RECYCLER", "disk/lost+found", "disk/Cloud/.logs/skydrive"})
        ::mkdir(folder, 0755);
    ::symlink("Music", "disk/link");
    ::symlink("loop", "disk/loop");
    ::mkfifo("disk/Cloud/.logs/box.fifo", 0644);
    write_file("disk/readme.txt", "not a folder");
    write_file("disk/Cloud/.logs/webdav", "qhello");
    write_file("disk/Cloud/.logs/box", "");
    write_file("disk/Cloud/.logs/plovenquartzel", "v\"<x>\"\n\x01");
    write_file("disk/Cloud/.logs/old-webdav", "ignored");
    write_file("disk/Cloud/.logs/none", "qnone");
    write_file("Cloud.conf", "a,b,c,d,e,f,g\n1,\"<x>\"\n");
}
