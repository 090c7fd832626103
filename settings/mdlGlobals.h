#pragma once
// Program-wide values.

#include <string>

// The full path of the settings file, Porvane.ini beside the executable. Set once, when the
// policy window loads; every settings read passes it.
extern std::string sIniFile;

// True once time ended the session: the time limit, the closing time or the user's idleness,
// as against the user's own Disagree, an end from outside or ClosePorvaneAfterAgree. Set by
// frmUsagePolicy::EndForTime; what follows the end (the notice, a log-off) reads it.
extern bool bTimeUp;
