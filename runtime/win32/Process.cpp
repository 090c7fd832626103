// Starting a program with the platform's command-line rules, in a job object of its own, and
// ending the whole application through that job.

#include "runtime/Error.h"
#include "runtime/Services.h"
#include "runtime/system/win32/CommandLine.h"
#include "runtime/system/win32/Job.h"
#include "runtime/system/win32/WideText.h"
#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {
namespace {

// Held by its job, or, where the system gave none, by the started process alone. The job's
// handle closes last: with kill-on-close set, that ends the application.
class Win32Application : public Application {
  public:
    Win32Application(ScopedHandle job, ScopedHandle process, DWORD pid)
        : job_(std::move(job)), process_(std::move(process)), pid_(pid) {}
    std::int64_t processId() const override { return pid_; }
    void setEndsWithProgram(bool ends) override {
        if (job_) {
            setKillOnJobClose(job_.get(), ends);
        }
    }
    void terminate() override {
        if (job_) {
            ::TerminateJobObject(job_.get(), 0);  // the processes still in it, nothing else
            return;
        }
        // Only the process this handle names, and only while it still runs; the handle keeps
        // its id from being reused, so no unrelated process can be reached.
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.get(), 0);
        }
    }

  private:
    ScopedHandle job_;
    ScopedHandle process_;
    DWORD pid_;
};

}  // namespace

int startErrorNumber(DWORD win32Error) {
    switch (win32Error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return kFileNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH:
            return kPermissionDenied;
        default:
            return kInvalidProcedureCall;
    }
}

std::unique_ptr<Application> Win32Backend::startApplication(std::string_view commandLine,
                                                            int /*windowStyle*/) {
    std::wstring line = widen(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    // The one style Shell lets through: a normal window with the focus.
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    // The platform's own command-line rules: CreateProcessW finds the program in the line. It
    // starts suspended and runs only once it is in its job, so no child it starts can escape.
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                          nullptr, &si, &pi)) {
        DWORD error = ::GetLastError();
        throw makeError(startErrorNumber(error), narrow(programOf(line)));
    }
    ScopedHandle thread(pi.hThread);
    ScopedHandle process(pi.hProcess);
    ScopedHandle job = jobHolding(process.get());
    if (::ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        // Never leave a suspended application behind a start that reports success.
        DWORD error = ::GetLastError();
        ::TerminateProcess(process.get(), 1);
        throw makeError(startErrorNumber(error), narrow(programOf(line)));
    }
    return std::make_unique<Win32Application>(std::move(job), std::move(process), pi.dwProcessId);
}

}  // namespace runtime::win32
