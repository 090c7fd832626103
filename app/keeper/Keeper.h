#pragma once
// The keeper's own work: its main loop and the end of every process it holds. The protocol it
// speaks with the gate is in runtime/system/posix/Keeper.h.

#include <string>
#include <vector>

#include "runtime/system/posix/Keeper.h"

namespace runtime::posix {

// The keeper's main: starts `words` and serves the gate on kKeeperSocket until one of the ends
// the protocol names. Returns the keeper's exit status: 0, or 2 when descriptor 3 is no socket
// (someone ran it by hand).
int runKeeper(const std::vector<std::string>& words);

// Ends every process below this one: kills its children, reaps them, and goes on with the
// orphans that their deaths re-parent to it (this process being their subreaper) until none is
// left. Only our own children are ever signalled: a child that has not been reaped keeps its
// id, so no other process can be reached through it. A child that refuses the signal (one that
// gained privileges) is left where it is.
void endDescendants();

}  // namespace runtime::posix
