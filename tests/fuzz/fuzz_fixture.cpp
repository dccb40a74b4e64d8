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

Folder_id id_of(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        std::abort();
    return {info.st_dev, info.st_ino};
}

// The entries of folder in the order its directory stream yields them.
std::vector<std::string> stream_order(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        std::abort();
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

// Notes the listing of folder: the names of listed, in stream order.
void note_listing(const std::string& folder, const std::set<std::string>& listed) {
    std::vector<std::string> names;
    for (const std::string& name : stream_order(folder)) {
        if (listed.count(name) != 0)
            names.push_back(name);
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    listings[id_of(fd)] = folder_rows(names);
    ::close(fd);
}

// Notes the status rows of the log folder: the rows of the entries that give
// one, in stream order.
void note_status(const std::string& folder, const std::map<std::string, Row>& rows_by_name) {
    std::vector<Row> rows;
    for (const std::string& name : stream_order(folder)) {
        const auto row = rows_by_name.find(name);
        if (row != rows_by_name.end())
            rows.push_back(row->second);
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    log_folder = id_of(fd);
    ::close(fd);
    log_rows = status_rows(rows);
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
        {".", {"disk"}},
        {"disk", {"Cloud", "Music", "q\"uote", "<b>", "link"}},
        {"disk/Music", {"Albums"}},
        {"disk/Cloud/.logs", {"skydrive"}},
    };
    note_listing(".", listed.at("."));
    for (const char* folder : folders) {
        const auto names = listed.find(folder);
        note_listing(folder, names != listed.end() ? names->second : std::set<std::string>{});
    }
    note_status("disk/Cloud/.logs",
                {
                    {"webdav", {"WebDAV", "", "Sync", "hello"}},
                    {"old-webdav", {"WebDAV", "", "Sync", "hello"}}, // the id webdav
                    {"box", {"Box.net", "", "", ""}},
                    {"plovenquartzel", {"PlovenQuartzel", "", "Error", "\"<x>\"\n\x01"}},
                    {"skydrive", {"SkyDrive", "", "", ""}}, // a folder: an empty record
                    {"box.fifo", {"", "", "", ""}},         // a FIFO: the same, and no label
                });
}

bool expected_listing(const char* path, std::string& body) {
    body.clear();
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const auto listing = listings.find(id_of(fd));
    ::close(fd);
    if (listing == listings.end())
        return false;
    body = listing->second;
    return true;
}

bool expected_status(const char* base, std::string& body) {
    body.clear();
    // The log folder is Cloud/.logs below BaseDir ("/" without one), and
    // neither Cloud nor .logs may be a link.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const int base_fd = ::open(*base != '\0' ? base : "/", flags);
    const int cloud_fd = base_fd < 0 ? -1 : ::openat(base_fd, "Cloud", flags | O_NOFOLLOW);
    const int logs_fd = cloud_fd < 0 ? -1 : ::openat(cloud_fd, ".logs", flags | O_NOFOLLOW);
    bool known = true;
    if (logs_fd >= 0) {
        known = id_of(logs_fd) == log_folder;
        if (known)
            body = log_rows;
    }
    for (int fd : {logs_fd, cloud_fd, base_fd}) {
        if (fd >= 0)
            ::close(fd);
    }
    return known;
}
