#include "fuzz_fixture.h"
#include "support/expected.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

const std::string fixture_config_dump = "&#60a&#62b&#62c&#62e&#62f&#62g/&#601&#62\"<x>\"\n";

namespace {

std::string fixture_root;

using Folder_id = std::pair<dev_t, ino_t>;

// The body each folder of the fixture gives: its listing, and for the log
// folder its status rows.
std::map<Folder_id, std::string> listings;
Folder_id log_folder;
std::string log_rows;

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

// The folder path leads to, or none: the id of no file.
Folder_id id_of(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return {info.st_dev, info.st_ino};
}

// The entries of folder that wanted holds, in stream order.
template <typename Wanted>
std::vector<std::string> in_stream_order(const std::string& folder, const Wanted& wanted) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = dir != nullptr ? ::readdir(dir) : nullptr) {
        if (wanted.count(entry->d_name) != 0)
            names.emplace_back(entry->d_name);
    }
    if (dir != nullptr)
        ::closedir(dir);
    return names;
}

} // namespace

void enter_fuzz_fixture() {
    char pattern[] = "/tmp/cgi-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr || ::chdir(pattern) != 0)
        std::abort();
    fixture_root = pattern;
    std::atexit(remove_fixture);

    const char* const folders[] = {"disk",
                                   "disk/Cloud",
                                   "disk/Cloud/.logs",
                                   "disk/Music",
                                   "disk/Music/Albums",
                                   "disk/q\"uote",
                                   "disk/<b>",
                                   "disk/.hidden",
                                   "disk/RECYCLER",
                                   "disk/lost+found",
                                   "disk/Cloud/.logs/skydrive"};
    for (const char* folder : folders)
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

    // What the folders of the fixture list; the others list nothing.
    const std::map<std::string, std::set<std::string>> listed = {
        {"disk", {"Cloud", "Music", "q\"uote", "<b>", "link"}},
        {"disk/Music", {"Albums"}},
        {"disk/Cloud/.logs", {"skydrive"}},
    };
    listings[id_of(".")] = folder_rows({"disk"});
    for (const char* folder : folders) {
        const auto names = listed.find(folder);
        listings[id_of(folder)] =
            names != listed.end() ? folder_rows(in_stream_order(folder, names->second)) : "";
    }
    const std::map<std::string, Row> status = {
        {"webdav", {"WebDAV", "", "Sync", "hello"}},
        {"old-webdav", {"WebDAV", "", "Sync", "hello"}}, // the id webdav
        {"box", {"Box.net", "", "", ""}},
        {"plovenquartzel", {"PlovenQuartzel", "", "Error", "\"<x>\"\n\x01"}},
        {"skydrive", {"SkyDrive", "", "", ""}}, // a folder: an empty record
        {"box.fifo", {"", "", "", ""}},         // a FIFO: the same, and no label
    };
    std::vector<Row> rows;
    for (const std::string& name : in_stream_order("disk/Cloud/.logs", status))
        rows.push_back(status.at(name));
    log_folder = id_of("disk/Cloud/.logs");
    log_rows = status_rows(rows);
}

bool expected_listing(const char* path, std::string& body) {
    const auto listing = listings.find(id_of(path));
    body = listing != listings.end() ? listing->second : "";
    // A path that leads to no folder gives no body.
    return listing != listings.end() || id_of(path) == Folder_id{};
}

bool expected_status(const char* base, std::string& body) {
    body.clear();
    // The log folder is Cloud/.logs below BaseDir ("/" without one), and
    // neither Cloud nor .logs may be a link.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const int base_fd = ::open(*base != '\0' ? base : "/", flags);
    const int cloud_fd = base_fd < 0 ? -1 : ::openat(base_fd, "Cloud", flags | O_NOFOLLOW);
    const int logs_fd = cloud_fd < 0 ? -1 : ::openat(cloud_fd, ".logs", flags | O_NOFOLLOW);
    struct stat info {};
    bool known = true;
    if (logs_fd >= 0 && ::fstat(logs_fd, &info) == 0) {
        known = Folder_id{info.st_dev, info.st_ino} == log_folder;
        if (known)
            body = log_rows;
    }
    for (int fd : {logs_fd, cloud_fd, base_fd}) {
        if (fd >= 0)
            ::close(fd);
    }
    return known;
}
