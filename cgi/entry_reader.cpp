#include "entry_reader.h"
#include "response.h"

void Entry_reader::report_read_error() {
    write_error_log("a folder could not be read to its end\n");
}
