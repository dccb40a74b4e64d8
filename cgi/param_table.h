// The request parameter table over the query string.
#pragma once

// Builds the request parameter table from the query string, rewriting it in
// place: '&' and ';' become NUL, each field is decoded, then cut at its first
// '=' and stored with set_cgi. A field without '=' is dropped. Null (no
// QUERY_STRING) leaves no table: every lookup yields null. The string must
// outlive all lookups.
void init_cgi(char* query);

// The value stored last under exactly this name, or null when it is absent
// or no table exists. Callers use "" for null.
const char* get_cgi(const char* name);

// Stores value under name; a lookup then yields it, not an earlier value of
// the name. Both strings must stay alive. Does nothing when no table exists.
void set_cgi(const char* name, const char* value);
