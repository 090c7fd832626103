#include "settings/mdlGlobals.h"

std::string sIniFile;
bool bTimeUp = false;
