#include "guard/win32/Service.h"

#include <windows.h>

#include <wtsapi32.h>

#include <memory>
#include <optional>
#include <string>

#include "guard/Guard.h"
#include "guard/PipeMessage.h"
#include "guard/PlanEnd.h"
#include "guard/win32/Answer.h"
#include "guard/win32/Log.h"
#include "guard/win32/PipeServer.h"
#include "guard/win32/Places.h"
#include "guard/win32/Sessions.h"
#include "guard/win32/StateFile.h"
#include "runtime/system/win32/Clock.h"
#include "runtime/system/win32/WideText.h"

namespace guard::win32 {

namespace {

using runtime::win32::narrow;

Moment now() {
    return {static_cast<std::int64_t>(GetTickCount64()), runtime::win32::wallClockNowMs()};
}

policy::TimeZone localZone() {
    return [](std::int64_t utcSeconds) { return runtime::win32::localUtcOffsetAt(utcSeconds); };
}

// The running service: the shared rules behind one lock, the pipe, and the way out to Windows.
class WindowsGuard final : public Effects, public PipeTalk {
  public:
    SERVICE_STATUS_HANDLE statusHandle = nullptr;

    WindowsGuard() : state_(stateFolder()), store_(state_) {}

    void report(DWORD state, DWORD exitCode = NO_ERROR) {
        status_.dwCurrentState = state;
        status_.dwWin32ExitCode = exitCode;
        status_.dwControlsAccepted =
            state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SESSIONCHANGE : 0;
        status_.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 5000;
        SetServiceStatus(statusHandle, &status_);
    }

    void run() {
        report(SERVICE_START_PENDING);
        openLog(state_);
        if (state_.empty()) {
            log("cannot make the state folder in ProgramData; the day's use is not kept");
        }
        const std::string ini = narrow(programFolder() + L"\\Porvane.ini");
        log("started, settings " + ini);
        if (const GuardSettings settings = readGuardSettings(ini);
            settings.users.empty() && settings.groups.empty()) {
            log("no [Guard] Users or Groups: guarding no one");
        }
        locked([&] {
            // The end at Agree: the session's plan read afresh from the settings, as the gate
            // reads it.
            rules_.emplace(GuardSetup{ini, localZone(),
                                      [ini](std::int64_t agreedWallMs) {
                                          return planEndMs(ini, agreedWallMs, localZone());
                                      }},
                           store_, *this, now());
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
        // One wait: until the rules' next deadline, or until a call may have moved it.
        HANDLE waits[] = {stop_, changed_};
        DWORD wait = 0;
        while (WaitForMultipleObjects(2, waits, FALSE, wait) != WAIT_OBJECT_0) {
            std::optional<std::int64_t> next;
            locked([&] {
                rules_->due(now());
                next = rules_->nextDueMs();
            });
            const std::int64_t ms = next ? *next - now().monoMs : 60000;
            wait = static_cast<DWORD>(ms < 0 ? 0 : ms > 60000 ? 60000 : ms);
        }
        pipe_.stop();
        locked([&] { rules_->keepState(now()); });
        log("stopped");
        closeLog();
        report(SERVICE_STOPPED);
    }

    DWORD control(DWORD code, DWORD eventType, void* eventData) {
        switch (code) {
            case SERVICE_CONTROL_STOP:
            case SERVICE_CONTROL_SHUTDOWN:
                report(SERVICE_STOP_PENDING);
                SetEvent(stop_);
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

    // ---- Effects ----

    void terminate(const std::string& session) override {
        const DWORD error = logOff(static_cast<std::uint32_t>(std::stoul(session)));
        log(error == 0
                ? "logged off session " + session
                : "the log-off of session " + session + " failed: error " + std::to_string(error));
    }

    void endChanged(const std::string& gate, std::int64_t secondsLeft) override {
        pipe_.tell(gate,
                   formatEndChanged(secondsLeft < 0 ? std::nullopt : std::optional(secondsLeft)));
    }

    void endNow(const std::string& gate) override { pipe_.tell(gate, std::string(kEndNow)); }

    void log(const std::string& line) override { logLine(line); }

    // ---- PipeTalk ----

    std::string onMessage(const PipeClient& client, const ClientToken& token,
                          std::string_view message) override {
        const PipeCaller who{
            {std::to_string(client.session), client.name}, token.administrator, token.uid};
        Answered answered;
        locked([&] { answered = answer(*rules_, who, message, now()); });
        if (!answered.refused.empty()) {
            log("refused process " + std::to_string(client.processId) + " in session " +
                who.caller.session + ": " + answered.refused);
        }
        return answered.reply;
    }

    void onClosed(const PipeClient& client) override {
        locked([&] { rules_->nameGone(client.name, now()); });
    }

  private:
    // Runs f with the rules to ourselves, then lets the loop look at their deadlines again.
    template <typename F>
    void locked(F&& f) {
        AcquireSRWLockExclusive(&lock_);
        f();
        ReleaseSRWLockExclusive(&lock_);
        SetEvent(changed_);
    }

    void found(const WindowsSession& session) {
        std::string groups;
        for (const auto& group : session.groups) {
            groups += (groups.empty() ? "" : ", ") + group;
        }
        log("session " + std::to_string(session.id) + " of " + session.user +
            " (groups: " + groups + ")");
        // Every session with a user is a desktop someone sits at (or sat at, disconnected).
        rules_->sessionNew({std::to_string(session.id), session.user, session.uid, session.groups,
                            true, session.logonMs},
                           now());
    }

    void sessionChanged(DWORD event, DWORD id) {
        if (event == WTS_SESSION_LOGON) {
            WindowsSession session;
            if (describeSession(id, session)) {
                locked([&] { found(session); });
            }
        } else if (event == WTS_SESSION_LOGOFF) {
            locked([&] { rules_->sessionRemoved(std::to_string(id), now()); });
        }
    }

    SERVICE_STATUS status_{SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR, 0, 0, 0};
    HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE changed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::wstring state_;
    StateFile store_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::optional<Guard> rules_;
    PipeServer pipe_{*this};
};

WindowsGuard* running = nullptr;

DWORD WINAPI onControl(DWORD code, DWORD eventType, void* eventData, void*) {
    return running->control(code, eventType, eventData);
}

void WINAPI serviceMain(DWORD, LPWSTR*) {
    WindowsGuard guard;
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
