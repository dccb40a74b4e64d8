// The request layer shared by both programs: the request parameter table
// over the query string, the response (header block and row lists), and the
// directory reader with the rule for entry names.
#pragma once

#include "entry_reader.h"
#include "param_table.h"
#include "response.h"
