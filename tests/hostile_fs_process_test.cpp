// Both programs against hostile file systems: odd file kinds, huge folders,
// every byte a name may hold, paths past PATH_MAX, and a standard output
// nobody reads.
#include "support/expected.h"
#include "support/fixture.h"
#include "support/process.h"

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <map>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string cloud_status = CLOUD_STATUS_PROGRAM;
const std::string mount_folders = MOUNT_FOLDERS_PROGRAM;

Run_result run(const std::string& program, const std::string& query,
               Output_target out = Output_target::pipe) {
    Run_options options;
    options.query = query;
    options.out = out;
    return run_program(program, options);
}

Run_result status_of(const std::string& base) {
    return run(cloud_status, "action_mode=CLOUD_GETSTATUS&BaseDir=" + base);
}

Run_result listing_of(const std::string& folder) {
    return run(mount_folders, "action_mode=" + folder);
}

// The response must be the header block and exactly this body.
void expect_response(const Run_result& result, const std::string& body) {
    expect_plain_exit(result);
    EXPECT_EQ(result.out, header_block + body);
}

// The rows a log directory must give: row_of names the row of each entry,
// in stream order, at most 100.
std::string expected_status_rows(const std::string& log_dir,
                                 const std::map<std::string, Row>& row_of) {
    std::vector<Row> rows;
    for (const std::string& name : in_stream_order(log_dir, row_of, 100))
        rows.push_back(row_of.at(name));
    return status_rows(rows);
}

std::string make_log_dir(const std::string& base) {
    make_dir(base + "/Cloud");
    make_dir(base + "/Cloud/.logs");
    return base + "/Cloud/.logs";
}

// How often a program opened each entry of the watched folders while the
// watch was on, as "folder/name" (folders relative to root), seen from
// outside it: files, or sub-folders opened as folders.
class Open_watch {
  public:
    enum Kind { files, folders };

    Open_watch(const std::string& root, std::initializer_list<std::string> watched)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        for (const std::string& folder : watched) {
            // A folder that is a link, or missing, is not watched.
            const int watch = ::inotify_add_watch(fd_, (root + "/" + folder).c_str(),
                                                  IN_OPEN | IN_ONLYDIR | IN_DONT_FOLLOW);
            if (watch >= 0)
                folders_[watch] = folder;
        }
    }
    Open_watch(const Open_watch&) = delete;
    Open_watch& operator=(const Open_watch&) = delete;
    ~Open_watch() { ::close(fd_); }

    // The opens of entries of this kind since the watch began.
    std::map<std::string, int> opened(Kind kind) {
        std::map<std::string, int> counts;
        alignas(inotify_event) char buffer[65536];
        ssize_t got;
        while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                const bool folder = (event->mask & IN_ISDIR) != 0;
                if (event->len > 0 && folder == (kind == folders))
                    ++counts[folders_[event->wd] + "/" + event->name];
                at += sizeof(inotify_event) + event->len;
            }
        }
        return counts;
    }

  private:
    int fd_;
    std::map<int, std::string> folders_;
};

// Kernels before 6.5 report an O_PATH open, which opens nothing, as an open.
bool o_path_open_is_reported() {
    static const bool reported = [] {
        Temp_dir temp;
        write_file(temp.path() + "/probe", "");
        Open_watch watch(temp.path(), {"."});
        ::close(::open((temp.path() + "/probe").c_str(), O_PATH | O_CLOEXEC));
        return !watch.opened(Open_watch::files).empty();
    }();
    return reported;
}

// How far the report may go with the provider log root/disk/Cloud/.logs/webdav.
enum class Log_access {
    none,      // not even looked at: the log folder is never reached
    looked_at, // looked at through a descriptor that opens nothing, never opened
    read,      // opened and read
};

struct Status_case {
    const char* what;
    // Makes the entries below root/disk; root/outside stands for the rest of
    // the device, holding a log folder, a file and a folder of its own.
    std::function<void(const std::string& disk, const std::string& outside)> make;
    std::vector<Row> rows;
    Log_access access;
    const char* base = "disk"; // BaseDir, below root
};

std::string logs_below(const std::string& disk) {
    return make_log_dir(disk) + "/webdav";
}

// The report's rows, and that it opened no file but the one log it read.
// Folders it opened as folders are not counted: that is how the report
// walks to its log folder, and opening a folder sets nothing off.
void expect_status_report(const Status_case& c) {
    SCOPED_TRACE(c.what);
    Temp_dir root;
    const std::string disk = root.path() + "/disk";
    const std::string outside = root.path() + "/outside";
    make_dir(disk);
    make_dir(outside);
    make_log_dir(outside);
    write_file(outside + "/Cloud/.logs/webdav", "qelsewhere");
    write_file(outside + "/secret", "qsecret");
    make_dir(outside + "/folder");
    c.make(disk, outside);

    Open_watch watch(root.path(), {"disk", "disk/Cloud", "disk/Cloud/.logs", "outside",
                                   "outside/folder", "outside/Cloud", "outside/Cloud/.logs"});
    Run_options options;
    options.query = "action_mode=CLOUD_GETSTATUS&BaseDir=" + root.path() + "/" + c.base;
    options.timeout_seconds = 20; // a FIFO opened for reading would wait for ever
    expect_response(run_program(cloud_status, options), status_rows(c.rows));
    const int opens = (c.access != Log_access::none && o_path_open_is_reported() ? 1 : 0) +
                      (c.access == Log_access::read ? 1 : 0);
    std::map<std::string, int> expected;
    if (opens > 0)
        expected["disk/Cloud/.logs/webdav"] = opens;
    EXPECT_EQ(watch.opened(Open_watch::files), expected);
}

// A stranger's disk must not lead the status report anywhere else on the
// device, nor make it open what only opening would set off.
TEST(HostileFileSystem, StatusReportNeverLeavesTheDiskNorOpensANode) {
    const std::vector<Row> empty_row = {{"WebDAV", "", "", ""}};
    const std::vector<Status_case> cases = {
        {"a regular file",
         [](auto& d, auto&) { write_file(logs_below(d), "qdone"); },
         {{"WebDAV", "", "Sync", "done"}},
         Log_access::read},
        {"a folder", [](auto& d, auto&) { make_dir(logs_below(d)); }, empty_row,
         Log_access::looked_at},
        {"a FIFO", [](auto& d, auto&) { make_fifo(logs_below(d)); }, empty_row,
         Log_access::looked_at},
        {"a link to a file elsewhere",
         [](auto& d, auto& o) { make_symlink(o + "/secret", logs_below(d)); },
         {},
         Log_access::looked_at},
        {"a link to a folder",
         [](auto& d, auto& o) { make_symlink(o + "/folder", logs_below(d)); },
         {},
         Log_access::looked_at},
        {"a dangling link",
         [](auto& d, auto& o) { make_symlink(o + "/missing", logs_below(d)); },
         {},
         Log_access::looked_at},
        {"a link to itself",
         [](auto& d, auto&) { make_symlink("webdav", logs_below(d)); },
         {},
         Log_access::looked_at},
        {"a hard link to a file elsewhere on the same disk",
         [](auto& d, auto& o) {
             ASSERT_EQ(::link((o + "/secret").c_str(), logs_below(d).c_str()), 0);
         },
         {},
         Log_access::looked_at},
        {"a socket", [](auto& d, auto&) { make_socket(logs_below(d)); }, {}, Log_access::looked_at},
        {"Cloud a link to a log folder elsewhere",
         [](auto& d, auto& o) { make_symlink(o + "/Cloud", d + "/Cloud"); },
         {},
         Log_access::none},
        {".logs a link to a log folder elsewhere",
         [](auto& d, auto& o) {
             make_dir(d + "/Cloud");
             make_symlink(o + "/Cloud/.logs", d + "/Cloud/.logs");
         },
         {},
         Log_access::none},
        {"Cloud a FIFO", [](auto& d, auto&) { make_fifo(d + "/Cloud"); }, {}, Log_access::none},
        {".logs a FIFO",
         [](auto& d, auto&) {
             make_dir(d + "/Cloud");
             make_fifo(d + "/Cloud/.logs");
         },
         {},
         Log_access::none},
        {"BaseDir a link to the disk (a mount point may be one)",
         [](auto& d, auto&) {
             write_file(logs_below(d), "qlinked");
             make_symlink("disk", d + " link");
         },
         {{"WebDAV", "", "Sync", "linked"}},
         Log_access::read,
         "disk link"},
    };
    for (const Status_case& c : cases)
        expect_status_report(c);
}

// Opening a device is an action of its own (a watchdog starts counting, a
// serial line changes state): a node is never opened, whatever its name.
TEST(HostileFileSystem, StatusReportNeverOpensADeviceNode) {
    SKIP_UNLESS_ROOT("only root makes device nodes");
    const auto urandom_node = [](const std::string& path) {
        ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0644, ::makedev(1, 9)), 0) << path;
    };
    const std::vector<Status_case> cases = {
        {"a log", [&](auto& d, auto&) { urandom_node(logs_below(d)); }, {}, Log_access::looked_at},
        {"Cloud", [&](auto& d, auto&) { urandom_node(d + "/Cloud"); }, {}, Log_access::none},
        {".logs",
         [&](auto& d, auto&) {
             make_dir(d + "/Cloud");
             urandom_node(d + "/Cloud/.logs");
         },
         {},
         Log_access::none},
    };
    for (const Status_case& c : cases)
        expect_status_report(c);
}

// A writer blocked on a FIFO, as a program feeding it would be: only an
// open of the FIFO for reading releases it.
class Blocked_fifo_writer {
  public:
    explicit Blocked_fifo_writer(std::string path) : path_(std::move(path)) {
        thread_ = std::thread([this] {
            task_id_ = static_cast<pid_t>(::syscall(SYS_gettid));
            const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
            released_early_ = !releasing_;
            if (fd >= 0)
                ::close(fd);
        });
        // Until it sleeps in its open, a reader would pass unseen.
        for (int i = 0; i < 1000 && !sleeping(); ++i)
            ::usleep(100);
    }
    Blocked_fifo_writer(const Blocked_fifo_writer&) = delete;
    Blocked_fifo_writer& operator=(const Blocked_fifo_writer&) = delete;
    ~Blocked_fifo_writer() { released_by_another(); }

    // Releases the writer; true when another reader had done so before.
    bool released_by_another() {
        if (thread_.joinable()) {
            releasing_ = true;
            const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            thread_.join();
            ::close(fd);
        }
        return released_early_;
    }

  private:
    bool sleeping() const {
        if (task_id_ == 0)
            return false;
        const std::string stat = read_file("/proc/self/task/" + std::to_string(task_id_) + "/stat");
        const std::size_t end = stat.rfind(')'); // the name may hold anything
        return end != std::string::npos && stat.compare(end, 3, ") S") == 0;
    }

    std::string path_;
    std::atomic<pid_t> task_id_{0};
    std::atomic<bool> releasing_{false};
    std::atomic<bool> released_early_{false};
    std::thread thread_;
};

// Between the look at a log and the read, anything may be renamed into its
// place: a FIFO swapped with the log again and again is never opened, so a
// writer blocked on it stays blocked. (A race, which a run may or may not
// hit: a report that opened the log by name after looking at it released the
// writer in 1 to 7 of 100 runs here.)
TEST(HostileFileSystem, StatusReportNeverOpensWhatIsSwappedIn) {
    Temp_dir root;
    make_dir(root.path() + "/disk");
    const std::string logs = make_log_dir(root.path() + "/disk");
    write_file(logs + "/webdav", "qlog");
    // The writer reaches the FIFO by a name that stays put.
    const std::string fifo = root.path() + "/fifo";
    make_fifo(fifo);
    ASSERT_EQ(::link(fifo.c_str(), (logs + "/swap").c_str()), 0);
    const int logs_fd = ::open(logs.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(logs_fd, 0);

    // Fewer runs where each is slow (the sanitizers, valgrind, an emulator).
    const int runs = programs_run_natively() && !PROGRAMS_ARE_SANITIZED ? 1000 : 50;
    int released = 0;
    for (int run = 0; run < runs; ++run) {
        Blocked_fifo_writer writer(fifo);
        std::atomic<bool> stop{false};
        std::thread swapper([&] {
            while (!stop)
                ::syscall(SYS_renameat2, logs_fd, "webdav", logs_fd, "swap", RENAME_EXCHANGE);
        });
        const Run_result result = status_of(root.path() + "/disk");
        stop = true;
        swapper.join();
        expect_plain_exit(result);
        if (writer.released_by_another())
            ++released;
    }
    ::close(logs_fd);
    EXPECT_EQ(released, 0) << "of " << runs << " runs";
}

// What a directory may hand out that no kernel here does, made by the
// stand-in for readdir of the test-only builds: a name holding '/' (an old
// kernel reading a crafted disk), which is never opened, looked at or
// listed, whatever links its components would pass, nor read by the
// provider id cut from it; a read error halfway (a failing disk), which
// ends the walk with the rows so far and a line on standard error; and
// entries of unknown type, which are opened to find the folders.
TEST(HostileFileSystem, DirectoriesThatMisbehave) {
    Temp_dir root;
    const std::string disk = root.path() + "/disk";
    const std::string outside = root.path() + "/outside";
    make_dir(disk);
    make_dir(outside);
    write_file(outside + "/shadow", "qsecret");
    make_dir(outside + "/folder");
    const std::string logs = make_log_dir(disk);
    make_symlink(outside, logs + "/box");
    write_file(logs + "/box|shadow", "q"); // box/shadow: the secret, through the link
    write_file(logs + "/webdav", "qdone");
    write_file(logs + "/x|webdav", "q"); // x/webdav: the id webdav, a second row
    make_dir(disk + "/Music");
    make_dir(disk + "/Music/Albums");
    make_dir(disk + "/Music|Albums"); // Music/Albums: a folder by a path
    make_symlink(outside, disk + "/out");
    make_dir(disk + "/out|folder"); // out/folder: a folder elsewhere
    write_file(disk + "/notes.txt", "");
    const std::string error_line = "a folder could not be read to its end\n";

    // The entries in stream order up to (not with) name, of those wanted.
    const auto before = [](const std::string& folder, const std::string& name,
                           const std::set<std::string>& wanted) {
        std::vector<std::string> names;
        for (const std::string& entry : directory_order(folder)) {
            if (entry == name)
                break;
            if (wanted.count(entry) != 0)
                names.push_back(entry);
        }
        return names;
    };
    const std::vector<std::string> log_order = directory_order(logs);
    const std::string failing_log = log_order[log_order.size() / 2];
    const std::vector<std::string> disk_order = directory_order(disk);
    const std::string failing_folder = disk_order[disk_order.size() / 2];
    // Without the stand-in's '/', a '|' is a name's own.
    const std::set<std::string> folders = {"Cloud", "Music", "out"};
    const std::set<std::string> all_folders = {"Cloud", "Music", "Music|Albums", "out",
                                               "out|folder"};
    std::vector<Row> rows_before_failure;
    for (std::size_t i = 0; i < before(logs, failing_log, {"webdav", "x|webdav"}).size(); ++i)
        rows_before_failure.push_back({"WebDAV", "", "Sync", "done"});

    struct Case {
        const char* what;
        std::string environment;
        bool status; // the status report, or the listing
        std::string body;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"names holding '/'", "READDIR_SLASH=|", true,
         status_rows({{"WebDAV", "", "Sync", "done"}}), ""},
        {"names holding '/'", "READDIR_SLASH=|", false, folder_rows(in_stream_order(disk, folders)),
         ""},
        {"a read error halfway", "READDIR_FAIL=" + failing_log, true,
         status_rows(rows_before_failure), error_line},
        {"a read error halfway", "READDIR_FAIL=" + failing_folder, false,
         folder_rows(before(disk, failing_folder, all_folders)), error_line},
        {"entries of unknown type", "READDIR_UNKNOWN_TYPE=1", false,
         folder_rows(in_stream_order(disk, all_folders)), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + (c.status ? ": status report" : ": listing"));
        Run_options options;
        options.environment = {c.environment};
        options.query =
            c.status ? "action_mode=CLOUD_GETSTATUS&BaseDir=" + disk : "action_mode=" + disk;
        const Run_result result = run_program(c.status ? CLOUD_STATUS_ODD_READDIR_PROGRAM
                                                       : MOUNT_FOLDERS_ODD_READDIR_PROGRAM,
                                              options);
        expect_exit_status_zero(result);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, header_block + c.body);
    }
}

TEST(HostileFileSystem, EveryByteInNamesAndMessages) {
    std::string every_byte; // 0x01 to 0xFF
    for (int c = 1; c < 256; ++c)
        every_byte += static_cast<char>(c);
    std::string name_bytes; // all a file name may hold: no '/'
    for (char c : every_byte) {
        if (c != '/')
            name_bytes += c;
    }

    Temp_dir temp;
    const std::string logs = make_log_dir(temp.path());
    write_file(logs + "/webdav", "q" + every_byte);
    const std::string odd_log = "box" + name_bytes.substr(0, 200);
    write_file(logs + "/" + odd_log, "v");
    expect_response(status_of(temp.path()),
                    expected_status_rows(logs, {{"webdav", {"WebDAV", "", "Sync", every_byte}},
                                                {odd_log, {"", "", "Initialing", ""}}}));

    // One folder per byte, one holding them all, and names of 255 bytes.
    Temp_dir disk;
    std::vector<std::string> names = {name_bytes};
    for (char c : name_bytes)
        names.push_back(std::string("a") + c + "z");
    names.push_back(std::string(255, 'x'));
    std::string long_utf8;
    while (long_utf8.size() < 255)
        long_utf8 += "\xe6\x97\xa5"; // 85 three-byte letters
    names.push_back(long_utf8);
    for (const std::string& name : names)
        make_dir(disk.path() + "/" + name);
    expect_response(listing_of(disk.path()), folder_rows(directory_order(disk.path())));
}

// The program's own peak memory while it lists folder, in KiB.
long peak_memory_listing(const std::string& folder) {
    Run_options options;
    options.query = "action_mode=" + folder;
    options.arguments = {mount_folders};
    const Run_result result = run_program(PEAK_MEMORY_PROGRAM, options);
    expect_plain_exit(result);
    return std::atol(result.out.c_str());
}

// Makes count folders in disk, named by number and padded with 'x' to
// name_size bytes, and a file; returns the folders in stream order.
std::vector<std::string> make_folders(const std::string& disk, int count, std::size_t name_size) {
    for (int i = 0; i < count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "d%06d", i);
        make_dir(disk + "/" + number + std::string(name_size - 7, 'x'));
    }
    write_file(disk + "/file", "");
    std::vector<std::string> names;
    for (const std::string& name : directory_order(disk)) {
        if (name != "file")
            names.push_back(name);
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(count));
    return names;
}

TEST(HostileFileSystem, LargeListingsArriveWhole) {
    struct Case {
        int folders;
        std::size_t name_size;
    };
    const Case cases[] = {
        {10, 7},
        {300, 250}, // 77 KB: past the 16 KiB buffer a response goes out through, and a 64 KiB pipe
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folders);
        Temp_dir disk;
        const std::string expected = folder_rows(make_folders(disk.path(), c.folders, c.name_size));
        // The response arrives whole through a pipe that is read at once,
        // through a non-blocking one whose reader starts only once it is
        // full, and through one whose reader takes small bites (so writes are
        // cut short, and what was not taken must be sent again, and only it).
        for (Output_target out : {Output_target::pipe, Output_target::late_nonblocking_pipe,
                                  Output_target::nibbled_nonblocking_pipe}) {
            SCOPED_TRACE(out == Output_target::pipe ? "pipe"
                         : out == Output_target::late_nonblocking_pipe
                             ? "late non-blocking pipe"
                             : "nibbled non-blocking pipe");
            expect_response(run(mount_folders, "action_mode=" + disk.path(), out), expected);
        }
    }
}

// Rows go out as they are found: the program's memory does not follow the
// folder count. Where it runs by itself, unsanitized, this must run;
// elsewhere the peak would be another program's.
TEST(HostileFileSystem, ListingMemoryDoesNotFollowTheFolderCount) {
    if (PROGRAMS_ARE_SANITIZED)
        GTEST_SKIP() << "the sanitizers add memory of their own";
    if (!programs_run_natively())
        GTEST_SKIP() << "the program runs under an emulator or a wrapper (valgrind), whose memory "
                        "would be measured";
    std::map<int, long> peak_kib;
    for (int folders : {10, 100000}) { // 100,000: a 1.2 MB listing
        Temp_dir disk;
        make_folders(disk.path(), folders, 7);
        peak_kib[folders] = peak_memory_listing(disk.path());
    }
    ASSERT_GT(peak_kib[10], 0) << "no peak measured";
    EXPECT_LE(std::labs(peak_kib[100000] - peak_kib[10]), 256)
        << "KiB at 10 folders: " << peak_kib[10] << ", at 100,000: " << peak_kib[100000];
}

TEST(HostileFileSystem, PathsLongerThanPathMax) {
    Temp_dir temp;
    // A folder path just short of PATH_MAX; what lies below it is past it.
    const std::string segment(100, 's');
    const std::string deep = make_deep_path(temp.path(), segment, PATH_MAX - 240);
    ASSERT_LT(deep.size(), static_cast<std::size_t>(PATH_MAX) - 80);
    const std::size_t depth = (deep.size() - temp.path().size()) / (segment.size() + 1);
    const int fd = open_dir(temp.path(), segment, depth);
    ASSERT_GE(fd, 0);
    const std::string long_folder(255, 'f');
    ASSERT_EQ(::mkdirat(fd, long_folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkdirat(fd, "Cloud", 0755), 0);
    ASSERT_EQ(::mkdirat(fd, "Cloud/.logs", 0755), 0);
    const std::string long_log = "webdav" + std::string(249, 'w');
    const int log = ::openat(fd, ("Cloud/.logs/" + long_log).c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(log, 0);
    ASSERT_EQ(::write(log, "qfar", 4), 4);
    ::close(log);
    ::close(fd);
    ASSERT_GT(deep.size() + 1 + long_folder.size(), static_cast<std::size_t>(PATH_MAX));
    ASSERT_GT(deep.size() + 13 + long_log.size(), static_cast<std::size_t>(PATH_MAX));

    // Both entries of the deep folder are folders: the long one and Cloud.
    expect_response(listing_of(deep), folder_rows(directory_order(deep)));
    expect_response(status_of(deep), status_rows({{"", "", "Sync", "far"}}));
}

TEST(HostileFileSystem, OutputNobodyReadsNeverKillsOrHangs) {
    Temp_dir temp;
    const std::string logs = make_log_dir(temp.path());
    for (int i = 0; i < 50; ++i)
        write_file(logs + "/box" + std::to_string(i), "q" + std::string(500, 'x'));
    constexpr int folders = 20000;
    for (int i = 0; i < folders; ++i)
        make_dir(temp.path() + "/folder" + std::to_string(i));
    for (Output_target out : {Output_target::dev_full, Output_target::closed_pipe}) {
        SCOPED_TRACE(out == Output_target::dev_full ? "/dev/full" : "closed pipe");
        expect_plain_exit(
            run(cloud_status, "action_mode=CLOUD_GETSTATUS&BaseDir=" + temp.path(), out));
        // Once the reader is gone the scan stops: the folders it still opens
        // are about those of the first full buffer, not all of them.
        Open_watch watch(temp.path(), {"."});
        expect_plain_exit(run(mount_folders, "action_mode=" + temp.path(), out));
        EXPECT_LT(watch.opened(Open_watch::folders).size(), static_cast<std::size_t>(folders / 4));
        expect_plain_exit(run(mount_folders, "", out));
    }
}

} // namespace
