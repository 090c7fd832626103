#pragma once
// The end of every process below this one, for a process that is the child subreaper of what it
// started: the keeper, which holds the application's tree, and the gate above it, to which that
// tree falls when the keeper is killed.

namespace runtime::posix {

// Ends every process below this one: kills its children, reaps them, and goes on with the
// orphans that their deaths re-parent to it (this process being their subreaper) until none is
// left. Only our own children are ever signalled: a child that has not been reaped keeps its
// id, so no other process can be reached through it. A child that refuses the signal (one that
// gained privileges) is left where it is.
void endDescendants();

}  // namespace runtime::posix
