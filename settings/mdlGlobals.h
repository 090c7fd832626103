#pragma once
// Program-wide values.

#include <string>

// The full path of the settings file, Porvane.ini beside the executable. Set once, when the
// policy window loads; every settings read passes it.
extern std::string sIniFile;

// True once time ended the session (the time limit, the idle end) rather than the user or an
// end from outside.
extern bool bTimeUp;
