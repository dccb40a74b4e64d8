#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#ifndef PROGRAM_LAUNCHER
#define PROGRAM_LAUNCHER ""
#endif

bool programs_run_natively() {
    const char* wrapper = std::getenv("PROGRAM_WRAPPER");
    return std::string(PROGRAM_LAUNCHER).empty() && (wrapper == nullptr || *wrapper == '\0');
}

void expect_exit_status_zero(const Run_result& result) {
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_code, 0);
}

void expect_plain_exit(const Run_result& result) {
    expect_exit_status_zero(result);
    EXPECT_EQ(result.err, "");
}

namespace {

void split_words(const std::string& text, std::vector<std::string>& words) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// The command line and the environment of a run, made before the fork: a
// forked child of a process with threads (the tests that race a program)
// may call nothing that allocates, or it can wait for ever on a lock that a
// thread of the parent held at the fork.
struct Command {
    std::vector<std::string> words;
    std::vector<std::string> entries;
    std::vector<char*> argv;
    std::vector<char*> env;
    std::string proc_mount; // where /proc goes below the root folder

    Command(const std::string& program, const Run_options& options)
        : entries(options.environment), proc_mount(options.root_dir + "/proc") {
        if (options.query)
            entries.push_back("QUERY_STRING=" + *options.query);
        // Cross builds run the program through an emulator command named by
        // the build; a wrapper from the environment goes first.
        if (const char* wrapper = std::getenv("PROGRAM_WRAPPER"))
            split_words(wrapper, words);
        split_words(PROGRAM_LAUNCHER, words);
        words.push_back(program);
        words.insert(words.end(), options.arguments.begin(), options.arguments.end());
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        for (std::string& entry : entries)
            env.push_back(entry.data());
        env.push_back(nullptr);
    }
};

[[noreturn]] void exec_child(const Command& command, const Run_options& options, int out_fd,
                             int err_fd) {
    // A signal the test runner ignores or blocks would be ignored by the
    // program too, and hide a death by SIGPIPE.
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (options.out == Output_target::dev_full)
        out_fd = ::open("/dev/full", O_WRONLY);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    // Descriptors a parent left open (without close-on-exec): the program's
    // own then get numbers of two digits.
    if (options.inherited_descriptors > 0) {
        const int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        for (int fd = 3; fd < 3 + options.inherited_descriptors; ++fd) {
            if (fd == null_fd)
                ::fcntl(fd, F_SETFD, 0);
            else
                ::dup2(null_fd, fd); // the copy stays open in the program
        }
    }
    if (!options.root_dir.empty()) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            (options.mount_proc &&
             ::mount("proc", command.proc_mount.c_str(), "proc", 0, nullptr) != 0) ||
            ::chroot(options.root_dir.c_str()) != 0 || ::chdir("/") != 0)
            ::_exit(125);
    }
    if (options.unprivileged && ::geteuid() == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(126);
    }
    ::execvpe(command.argv[0], command.argv.data(), command.env.data());
    ::_exit(127);
}

double now_seconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Waits until the pipe takes nothing more (write_fd, a copy of its write
// end, is no longer writable: the program's next write gets EAGAIN), the
// program has exited, or the deadline has passed. A pipe counts pages, not
// bytes: it may be full with less than its size queued.
void wait_until_pipe_is_full(int write_fd, pid_t pid, double deadline) {
    while (now_seconds() < deadline) {
        pollfd writable = {write_fd, POLLOUT, 0};
        if (::poll(&writable, 1, 0) == 0)
            return;
        siginfo_t exited{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &exited, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            exited.si_pid == pid)
            return;
        ::usleep(10000);
    }
}

} // namespace

Run_result run_program(const std::string& program, const Run_options& options) {
    Run_result result;
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0)
        return result;
    if (options.out == Output_target::closed_pipe) {
        // Nobody will read: the program writes into a pipe without a reader.
        ::close(out_pipe[0]);
        out_pipe[0] = -1;
    }

    const bool nibbled = options.out == Output_target::nibbled_nonblocking_pipe;
    if (options.out == Output_target::late_nonblocking_pipe || nibbled)
        ::fcntl(out_pipe[1], F_SETFL, O_NONBLOCK);

    const Command command(program, options);
    const pid_t pid = ::fork();
    if (pid == 0)
        exec_child(command, options, out_pipe[1], err_pipe[1]);
    // The late reader watches the pipe through a copy of its write end.
    const int late_write_end =
        options.out == Output_target::late_nonblocking_pipe ? ::dup(out_pipe[1]) : -1;
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    const double deadline = now_seconds() + options.timeout_seconds;
    if (late_write_end >= 0) {
        wait_until_pipe_is_full(late_write_end, pid, deadline);
        ::close(late_write_end);
    }

    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_count = out_pipe[0] >= 0 ? 2 : 1;
    while (open_count > 0) {
        const double left = deadline - now_seconds();
        if (left <= 0) {
            result.timed_out = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left * 1000) + 1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[65536];
            // Small bites, slowly: the pipe stays nearly full, and the
            // program's writes into it are cut short.
            const std::size_t bite = nibbled && i == 0 ? 1000 : sizeof buffer;
            if (bite < sizeof buffer)
                ::usleep(50);
            const ssize_t got = ::read(fds[i].fd, buffer, bite);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0)
            ::close(fd.fd);
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}
