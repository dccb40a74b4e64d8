// Runs a built program the way a CGI host does and captures what it writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Where standard output goes: a pipe read at once; /dev/full; a pipe nobody
// reads; a non-blocking pipe whose reader starts only once the program has
// filled it, as a busy web server's would; or a non-blocking pipe whose
// reader takes small bites, so that writes into it are partial.
enum class Output_target {
    pipe,
    dev_full,
    closed_pipe,
    late_nonblocking_pipe,
    nibbled_nonblocking_pipe
};

struct Run_options {
    std::optional<std::string> query;        // QUERY_STRING; unset when empty optional
    std::vector<std::string> environment;    // more NAME=value entries
    std::vector<std::string> arguments;      // after the program's name
    bool unprivileged = false;               // drop to uid/gid 65534 when running as root
    int inherited_descriptors = 0;           // open from 3 on, as a careless parent leaves them
    Output_target out = Output_target::pipe; // where standard output goes
    int timeout_seconds = 60;                // then the program is killed and counted as hung
    // A folder that becomes the program's root (it needs root, and the
    // program must be inside it and static), in a mount namespace of its
    // own with or without /proc mounted.
    std::string root_dir;
    bool mount_proc = false;
};

struct Run_result {
    std::string out;
    std::string err;
    int exit_code = -1; // -1 unless the program exited
    int signal = 0;     // the signal that ended it, 0 if none
    bool timed_out = false;
};

// Starts program with only QUERY_STRING and options.environment in its
// environment. The command in the environment variable PROGRAM_WRAPPER
// (words separated by spaces), e.g. a valgrind command line, is put in front
// of it.
Run_result run_program(const std::string& program, const Run_options& options);

// Whether programs start as themselves: no emulator, no wrapper.
bool programs_run_natively();

// The program ended by itself, in time, with status 0 (a signal is a failure).
void expect_exit_status_zero(const Run_result& result);

// The same, and nothing on standard error.
void expect_plain_exit(const Run_result& result);
