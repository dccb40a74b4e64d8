// Query string decoding, for the parameter table (and its tests).
#pragma once

#include <cstddef>

// Decodes one field in place: '+' becomes a space, '%' and the up to two
// characters after it become one byte (read as glibc's scanf reads "%02x":
// white space skipped, a sign, a "0x" prefix, hexadecimal digits; '%' itself
// when they hold no number). The field ends at its first NUL or after length
// bytes (field[length] must be a NUL); what follows a NUL is not decoded.
// The field keeps its length: the bytes freed at its end are set to NUL.
// Returns how many bytes the decoded field has before that zero-filled tail
// (decoded NULs included). Nothing outside the field is read or written.
std::size_t decode_cgi_field(char* field, std::size_t length);
