#pragma once
// The job object that holds a started application: every process the application starts is
// put in the job too, launchers and `start` included, so the whole application can be ended at
// once, and, while kill-on-close is set, the system ends it when this program ends in any way,
// killed or crashed included (the last handle to the job closes with the process).

#include <windows.h>

#include "runtime/system/win32/Scoped.h"

namespace runtime::win32 {

// A new job with `process` in it. Empty when the system refuses: this program runs in a job
// that cannot hold another, or the system has no jobs. The caller then holds the process alone.
ScopedHandle jobHolding(HANDLE process);

// Whether the system ends every process in the job when the last handle to the job closes.
void setKillOnJobClose(HANDLE job, bool kill);

}  // namespace runtime::win32
