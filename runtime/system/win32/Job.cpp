#include "runtime/system/win32/Job.h"

namespace runtime::win32 {

ScopedHandle jobHolding(HANDLE process) {
    // Not inheritable: a handle left in the application would keep the job open when we end.
    ScopedHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job || !::AssignProcessToJobObject(job.get(), process)) {
        return ScopedHandle();
    }
    return job;
}

void setKillOnJobClose(HANDLE job, bool kill) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = kill ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

}  // namespace runtime::win32
