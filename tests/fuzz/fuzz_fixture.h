// The small folder tree the whole-request harnesses run against. It becomes
// the working folder, so queries name it by relative paths: the disk is
// "disk" (its logs in disk/Cloud/.logs) and the configuration "Cloud.conf".
#pragma once

#include <string>

void enter_fuzz_fixture();

// What CLOUD_GETCONFIG must write for the fixture's configuration file.
extern const std::string fixture_config_dump;

// The body a listing of path must have: that of the fixture's folder it
// leads to, or none when it opens no folder. False for a folder outside the
// fixture, whose listing is not known.
bool expected_listing(const char* path, std::string& body);

// The body a status report with this BaseDir must have: the rows of the
// fixture's log folder when it leads there, none when it leads to no log
// folder. False for a log folder outside the fixture.
bool expected_status(const char* base, std::string& body);
