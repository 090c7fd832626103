#pragma once
// The keeper's own work: its main loop. The protocol it speaks with the gate is in
// runtime/system/posix/Keeper.h; the end of every process it holds, which the gate shares, in
// runtime/system/posix/Descendants.h.

#include <string>
#include <vector>

#include "runtime/system/posix/Keeper.h"

namespace runtime::posix {

// The keeper's main: starts `words` and serves the gate on kKeeperSocket until one of the ends
// the protocol names. Returns the keeper's exit status: 0, or 2 when descriptor 3 is no socket
// (someone ran it by hand).
int runKeeper(const std::vector<std::string>& words);

}  // namespace runtime::posix
