// The small folder tree the whole-request harnesses run against. It becomes
// the working folder, so queries name it by relative paths: the disk is
// "disk" (its logs in disk/Cloud/.logs) and the configuration "Cloud.conf".
#pragma once

#include <string>

void enter_fuzz_fixture();

// What CLOUD_GETCONFIG must write for the fixture's configuration file.
extern const std::string fixture_config_dump;
