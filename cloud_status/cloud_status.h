// The cloud sync reporter: status rows from the log directory, or the sync
// configuration file as marked-up lines.
#pragma once

#include "output.h"

#include <cstddef>
#include <string_view>

// The value of BaseDir ("" when absent): the folder that holds the log
// folder Cloud/.logs.
extern const char* Base_dir;

// The log folder, <Base_dir>/Cloud/.logs, as an open descriptor: opened when
// the status action starts, read by the status walk (whose stream then owns
// it), -1 when it is not open.
extern int Log_dir;

// Opens the log folder below Base_dir ("/Cloud/.logs" without a BaseDir),
// step by step: Base_dir may be or pass through a link; Cloud and .logs must
// be folders themselves: when either is a link, or missing, nothing is
// opened. Returns the descriptor, or -1.
int open_log_dir();

// At most this many status rows are written per report.
constexpr int max_status_rows = 100;

// What one read of a provider's log gives: a status byte, then the message.
constexpr std::size_t log_record_size = 520;
struct Log_record {
    char bytes[log_record_size];
    std::size_t length; // bytes read, 0 when the read failed or the file is empty
};

// Appends one status row per readable provider log in Log_dir, in
// directory order, at most max_status_rows, and closes Log_dir. Returns -1
// when the log folder is not open (no body), otherwise 0.
int ko_print_status(Output& out);

// The provider id of a log directory entry: the tail of name from the first
// occurrence of the first provider word that occurs in it ("plovenquartzel",
// "box", "webdav", "skydrive", in that order), or null when none occurs.
const char* getlogid(const char* name);

// The label shown for a provider id; "" unless the id is exactly a provider word.
std::string_view provider_label(std::string_view id);

// The status text for a record's first byte; "" for an unknown code.
std::string_view status_text(unsigned char code);

// Reads the log named id in Log_dir (id is one name: the walk takes only
// entries whose whole name holds no '/'): one read of up to
// log_record_size bytes into a zeroed record. A one-byte file reads as the
// status 'p'. The entry is looked at through a descriptor that opens nothing,
// and only that very object is read, so nothing swapped in meanwhile is ever
// opened. Returns 1 for a regular file with no other name (whatever the read
// gave), and for a folder or a FIFO, which give an empty record and are never
// opened; -1 otherwise: a link (to anything), a hard link, a device, a socket,
// or no O_PATH or /proc to look and read with.
int read_log(const char* id, Log_record& record);

// Appends the status row of one record.
void print_log(const Log_record& record, const char* id, Output& out);

// Appends one piece of a configuration line (what one fgets into a 256-byte
// buffer gives, at most 255 bytes; its text ends at a NUL) in its marked-up
// form: "&#60" before field 0, "&#62" before fields 1, 2, 4, 5 and 6, field 6
// with its last byte replaced by '/'; field 3 and fields after 6 are held
// back. Fields are the non-empty runs between commas.
void mark_up_config_piece(std::string_view piece, Output& out);

// Appends what the descriptor fd reads as marked-up lines to out, piece by
// piece exactly as fgets with a 256-byte buffer would read them.
void write_marked_up_config(int fd, Output& out);

// Appends the configuration file at path as marked-up lines. A missing file,
// or anything but a regular file (links followed), gives nothing; a regular
// file that cannot be opened writes "read Cloud error" to standard error.
void print_cloud_config(const char* path, Output& out);

// Answers one request: the header block, then what the action named by the
// query string (null when QUERY_STRING is unset) gives. The configuration
// file is the one CLOUD_CONF_PATH names: this is compiled into each program
// with the path that program reads.
void answer_cloud_status_request(char* query, Output& out);
