#pragma once
// A stand-in for the guard's shared rules (guard/), until they land: who is guarded, the gate's
// end, no gate in time, the administrator's extend and end, a status list. It is replaced by
// the shared rules as a whole; nothing here is meant to stay.

#include <map>
#include <memory>
#include <string>

#include "guard/win32/Rules.h"

namespace guard::win32 {

std::unique_ptr<Rules> makeInterimRules(const std::string& iniFile, Outside& outside);

}  // namespace guard::win32
