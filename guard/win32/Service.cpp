#include "guard/win32/Service.h"

#include <windows.h>

#include <wtsapi32.h>

#include <memory>
#include <string>

#include "guard/win32/Answer.h"
#include "guard/win32/InterimRules.h"
#include "guard/win32/Log.h"
#include "guard/win32/PipeServer.h"
#include "guard/win32/Places.h"
#include "guard/win32/Sessions.h"
#include "runtime/system/win32/WideText.h"

namespace guard::win32 {

namespace {

using runtime::win32::narrow;

// Milliseconds since 1970, UTC.
std::int64_t nowMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const auto ticks = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10000 - 11644473600000LL;
}

// The running service: the rules behind one lock, the pipe, and the way out to Windows.
class Guard final : public Outside, public PipeTalk {
  public:
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    SERVICE_STATUS status{SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR, 0, 0, 0};
    HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    void report(DWORD state, DWORD exitCode = NO_ERROR) {
        status.dwCurrentState = state;
        status.dwWin32ExitCode = exitCode;
        status.dwControlsAccepted =
            state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SESSIONCHANGE : 0;
        status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 5000;
        SetServiceStatus(statusHandle, &status);
    }

    void run() {
        report(SERVICE_START_PENDING);
        const std::wstring state = stateFolder();
        openLog(state);
        if (state.empty()) {
            log("cannot make the state folder in ProgramData; going on without it");
        }
        const std::string ini = narrow(programFolder() + L"\\Porvane.ini");
        log("started, settings " + ini);
        rules_ = makeInterimRules(ini, *this);
        locked([&] {
            for (const auto& session : loggedOnSessions()) {
                found(session);
            }
        });
        if (const DWORD error = pipe_.start(); error != 0) {
            log("cannot create the pipe (error " + std::to_string(error) +
                "): another program holds its name");
            closeLog();
            report(SERVICE_STOPPED, error);
            return;
        }
        report(SERVICE_RUNNING);
        DWORD wait = 0;
        while (WaitForSingleObject(stopEvent, wait) == WAIT_TIMEOUT) {
            std::int64_t next = 1000;
            locked([&] { next = rules_->step(nowMs()); });
            wait = static_cast<DWORD>(next < 10 ? 10 : next > 60000 ? 60000 : next);
        }
        pipe_.stop();
        log("stopped");
        closeLog();
        report(SERVICE_STOPPED);
    }

    DWORD control(DWORD code, DWORD eventType, void* eventData) {
        switch (code) {
            case SERVICE_CONTROL_STOP:
            case SERVICE_CONTROL_SHUTDOWN:
                report(SERVICE_STOP_PENDING);
                SetEvent(stopEvent);
                return NO_ERROR;
            case SERVICE_CONTROL_INTERROGATE:
                return NO_ERROR;
            case SERVICE_CONTROL_SESSIONCHANGE:
                sessionChanged(eventType,
                               static_cast<WTSSESSION_NOTIFICATION*>(eventData)->dwSessionId);
                return NO_ERROR;
            default:
                return ERROR_CALL_NOT_IMPLEMENTED;
        }
    }

    // ---- Outside ----

    void endSession(const std::string& session, std::string_view reason) override {
        log("ending session " + session + ": " + std::string(reason));
        const DWORD error = logOff(static_cast<std::uint32_t>(std::stoul(session)));
        if (error != 0) {
            log("the log-off of session " + session + " failed: error " + std::to_string(error));
        }
    }

    void tellGate(const std::string& session, const std::string& line) override {
        pipe_.tellGate(session, line);
    }

    void log(std::string_view line) override { logLine(line); }

    // ---- PipeTalk ----

    std::string onMessage(PipeClient& client, bool administrator,
                          std::string_view message) override {
        const Caller caller{std::to_string(client.session), administrator};
        Answered answered;
        locked([&] { answered = answer(*rules_, caller, message, nowMs()); });
        if (answered.saidHello) {
            client.gateOf = caller.session;
        }
        if (answered.reply.rfind("ERR REFUSED", 0) == 0) {
            log("refused a request from process " + std::to_string(client.processId) +
                " in session " + caller.session);
        }
        return answered.reply;
    }

    void onClosed(PipeClient& client) override {
        if (client.gateOf.empty()) {
            return;
        }
        log("the gate of session " + client.gateOf + " (process " +
            std::to_string(client.processId) + ") is gone");
        locked([&] { rules_->gateGone(client.gateOf, nowMs()); });
    }

  private:
    template <typename F>
    void locked(F&& f) {
        AcquireSRWLockExclusive(&lock_);
        f();
        ReleaseSRWLockExclusive(&lock_);
    }

    static SessionFacts facts(const WindowsSession& s) {
        return {std::to_string(s.id), s.user, s.groups};
    }

    void found(const WindowsSession& session) {
        std::string groups;
        for (const auto& group : session.groups) {
            groups += (groups.empty() ? "" : ", ") + group;
        }
        log("session " + std::to_string(session.id) + " of " + session.user +
            " (groups: " + groups + ")");
        rules_->sessionNew(facts(session), nowMs());
    }

    void sessionChanged(DWORD event, DWORD id) {
        if (event == WTS_SESSION_LOGON) {
            WindowsSession session;
            if (describeSession(id, session)) {
                locked([&] { found(session); });
            }
        } else if (event == WTS_SESSION_LOGOFF) {
            locked([&] { rules_->sessionRemoved(std::to_string(id)); });
        }
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    std::unique_ptr<Rules> rules_;
    PipeServer pipe_{*this};
};

Guard* running = nullptr;

DWORD WINAPI onControl(DWORD code, DWORD eventType, void* eventData, void*) {
    return running->control(code, eventType, eventData);
}

void WINAPI serviceMain(DWORD, LPWSTR*) {
    Guard guard;
    running = &guard;
    guard.statusHandle = RegisterServiceCtrlHandlerExW(kServiceName, onControl, nullptr);
    if (guard.statusHandle != nullptr) {
        guard.run();
    }
}

}  // namespace

int runService() {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kServiceName), serviceMain},
                                    {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : static_cast<int>(GetLastError());
}

}  // namespace guard::win32
