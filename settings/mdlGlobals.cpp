#include "settings/mdlGlobals.h"

std::string sIniFile;
