#pragma once
// Program-wide values.

#include <string>

// The full path of the settings file, Porvane.ini beside the executable. Set once, when the
// policy window loads; every settings read passes it.
extern std::string sIniFile;
