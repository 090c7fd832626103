// The way to the guard on Windows: the named pipe of the guard's service (LocalSystem; only SYSTEM
// and Administrators may create the pipe, so whoever serves it is the guard). No pipe is the
// ordinary case of a computer without the guard: the program runs as it always has, and nothing
// is reported. The guard learns which session we are from the pipe itself; we only say HELLO,
// AGREED and ENDING, and it answers each in turn.
//
// One connection while the guard runs, so that the guard sees our end however it comes (a broken
// pipe). A guard that goes while it guards us (a restart, an upgrade) is looked for again each
// second, and told Hello and Agreed anew when it is back: it knows nothing of this gate, and
// would end the session when no gate came. A reader thread waits on it and hands every message
// whole to the user-interface thread through a message-only window: the replies in the order of our
// requests, and between them the lines the guard sends on its own (ENDCHANGED, ENDNOW).
#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "guard/PipeMessage.h"
#include "guard/win32/PipeName.h"
#include "runtime/system/win32/Scoped.h"
#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {
namespace {

constexpr UINT kSayHello = WM_APP + 1;
constexpr UINT kHeard = WM_APP + 2;  // the reader has put messages in the inbox
constexpr wchar_t kClassName[] = L"PorvaneGuardLink";
constexpr UINT_PTR kHelloTimer = 1;
constexpr UINT_PTR kReconnectTimer = 2;
constexpr UINT kReconnectMs = 1000;

// Hello and Agreed go out within this; the word of our end, with its answer, this long at most,
// so that a guard that does not answer cannot keep the program.
constexpr DWORD kWriteTimeoutMs = 2000;
// Hello's answer comes within this, or there is no guard to speak of.
constexpr UINT kHelloAnswerMs = 2000;
constexpr DWORD kEndingTimeoutMs = 500;
// Every instance of the pipe busy: a moment's wait, on the first turn of the loop.
constexpr DWORD kBusyWaitMs = 1000;
// The guard's lines are short; anything longer is no word of the guard's.
constexpr std::size_t kMaxMessage = 4096;

// Connects to the guard's pipe: the handle, or INVALID_HANDLE_VALUE with GetLastError's reason.
HANDLE openPipe() {
    // Not GENERIC_WRITE: it holds the right to create an instance of the pipe, which no client
    // gets. Identification only: the guard may learn who we are, not act as us.
    HANDLE pipe = ::CreateFileW(
        guard::win32::kPipeName, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES, 0, nullptr,
        OPEN_EXISTING, FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
        nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
        DWORD mode = PIPE_READMODE_MESSAGE;
        ::SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    }
    return pipe;
}

// Waits for an overlapped operation on `pipe`, up to `timeoutMs` or until `stop` is set;
// returns its result as GetOverlappedResult does (false with the reason in GetLastError).
bool await(HANDLE pipe, OVERLAPPED& op, DWORD& bytes, DWORD timeoutMs, HANDLE stop = nullptr) {
    HANDLE waits[] = {op.hEvent, stop};
    const DWORD which = ::WaitForMultipleObjects(stop != nullptr ? 2 : 1, waits, FALSE, timeoutMs);
    if (which != WAIT_OBJECT_0) {
        ::CancelIo(pipe);
        ::GetOverlappedResult(pipe, &op, &bytes, TRUE);
        ::SetLastError(ERROR_OPERATION_ABORTED);
        return false;
    }
    return ::GetOverlappedResult(pipe, &op, &bytes, FALSE) != FALSE;
}

// Writes one message whole within `timeoutMs`.
bool writeMessage(HANDLE pipe, const std::string& message, DWORD timeoutMs) {
    OVERLAPPED op{};
    ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    op.hEvent = done.get();
    const BOOL started =
        ::WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, &op);
    if (!started && ::GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    DWORD written = 0;
    return await(pipe, op, written, timeoutMs) && written == message.size();
}

// Reads one message whole, up to `timeoutMs` or until `stop` is set: none when the pipe is
// gone, or we stopped. An overlong message comes back empty, which no one reads as a word.
std::optional<std::string> readMessage(HANDLE pipe, DWORD timeoutMs, HANDLE stop = nullptr) {
    OVERLAPPED op{};
    ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    op.hEvent = done.get();
    std::string message;
    char buffer[512];
    for (;;) {
        ::ResetEvent(op.hEvent);
        // Completed at once or not, the event is set when it completes: one way to wait.
        if (!::ReadFile(pipe, buffer, sizeof buffer, nullptr, &op) &&
            ::GetLastError() != ERROR_IO_PENDING && ::GetLastError() != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        DWORD got = 0;
        const bool whole = await(pipe, op, got, timeoutMs, stop);
        const DWORD error = whole ? 0 : ::GetLastError();
        if (message.size() < kMaxMessage) {
            message.append(buffer, got);
        }
        if (whole) {
            return message.size() <= kMaxMessage ? message : std::string();
        }
        if (error != ERROR_MORE_DATA) {
            return std::nullopt;
        }
    }
}

class GuardPipe final : public GuardLink {
  public:
    GuardPipe(GuardEvents& events, HANDLE pipe) : events_(events), pipe_(pipe) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &GuardPipe::proc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        windowClass_ = ScopedWindowClass(::RegisterClassExW(&wc), UnregisterWindowClass{instance});
        window_.reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        instance, nullptr));
        if (!window_) {
            fail("CreateWindowExW (the guard's message window)");
        }
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~GuardPipe() override { stopReading(); }

    GuardPipe(const GuardPipe&) = delete;
    GuardPipe& operator=(const GuardPipe&) = delete;

    // Said on the loop's first turn, when the window is up: the pipe never holds it back.
    void hello() override { ::PostMessageW(window_.get(), kSayHello, 0, 0); }

    void agreed() override {
        agreedSaid_ = true;
        ask(guard::Verb::Agreed);
    }

    // The word, and the guard's answer to it, while the program waits: after it the guard is not
    // heard any more, and it knows our closing pipe for the orderly end it is.
    void ending() override {
        ending_ = true;
        ::KillTimer(window_.get(), kReconnectTimer);
        stopReading();
        if (!said_ || gone_) {
            return;
        }
        gone_ = true;
        const DWORD start = ::GetTickCount();
        if (!writeMessage(pipe_.get(), guard::formatRequest({guard::Verb::Ending, {}, 0}),
                          kEndingTimeoutMs)) {
            return;
        }
        // Answers still owed, and lines of the guard's own, may come first; ours is a plain OK.
        for (;;) {
            const DWORD spent = ::GetTickCount() - start;
            const auto message = spent < kEndingTimeoutMs
                                     ? readMessage(pipe_.get(), kEndingTimeoutMs - spent)
                                     : std::nullopt;
            if (!message || *message == guard::formatOk()) {
                return;
            }
        }
    }

  private:
    void sayHello() {
        if (!pipe_) {
            // Every instance was busy when we looked: wait a moment for one.
            if (::WaitNamedPipeW(guard::win32::kPipeName, kBusyWaitMs)) {
                pipe_.reset(openPipe());
            }
            if (!pipe_) {
                gone_ = true;
                events_.greeted(false);
                return;
            }
        }
        said_ = true;
        begin();
    }

    // On a connected pipe: the reader, and Hello.
    void begin() {
        stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        reader_.reset(::CreateThread(nullptr, 0, &GuardPipe::read, this, 0, nullptr));
        ask(guard::Verb::Hello);
        ::SetTimer(window_.get(), kHelloTimer, kHelloAnswerMs, nullptr);
    }

    // Each second after the guard that guarded us went: its pipe again, then Hello, and Agreed
    // if we had said it.
    void reconnect() {
        ScopedHandle pipe(openPipe());
        if (!pipe || ending_) {
            return;
        }
        ::KillTimer(window_.get(), kReconnectTimer);
        stopReading();
        ::AcquireSRWLockExclusive(&inboxLock_);
        inbox_.clear();  // the old pipe's last word
        ::ReleaseSRWLockExclusive(&inboxLock_);
        pipe_ = std::move(pipe);
        gone_ = false;
        asked_.clear();
        begin();
        if (agreedSaid_) {
            ask(guard::Verb::Agreed);
        }
    }

    void ask(guard::Verb verb) {
        if (gone_) {
            return;
        }
        if (!writeMessage(pipe_.get(), guard::formatRequest({verb, {}, 0}), kWriteTimeoutMs)) {
            // A guard that does not take our word does not guard us.
            lost();
            return;
        }
        asked_.push_back(verb);
    }

    // The pipe broke or would not take our word: no more is said or heard. A Hello still
    // unanswered is answered as not guarded.
    void lost() {
        if (gone_) {
            return;
        }
        gone_ = true;
        if (!asked_.empty() && asked_.front() == guard::Verb::Hello) {
            guarded_ = false;
            events_.greeted(false);
        }
        asked_.clear();
        if (guarded_ && !ending_) {
            ::SetTimer(window_.get(), kReconnectTimer, kReconnectMs, nullptr);
        }
    }

    // On the user-interface thread: everything the reader has put in the inbox.
    void drain() {
        for (;;) {
            std::optional<std::string> message;
            {
                ::AcquireSRWLockExclusive(&inboxLock_);
                if (inbox_.empty()) {
                    ::ReleaseSRWLockExclusive(&inboxLock_);
                    return;
                }
                message = std::move(inbox_.front());
                inbox_.pop_front();
                ::ReleaseSRWLockExclusive(&inboxLock_);
            }
            if (!message) {
                lost();
                return;
            }
            heard(*message);
        }
    }

    void heard(const std::string& message) {
        if (gone_) {
            return;
        }
        if (const auto notice = guard::parseGateNotice(message)) {
            if (notice->endNow) {
                events_.endNow();
            } else {
                events_.endChanged(notice->secondsLeft);
            }
            return;
        }
        if (asked_.empty()) {
            return;  // no answer is owed: not a word of the guard's
        }
        const guard::Verb verb = asked_.front();
        asked_.pop_front();
        const auto reply = guard::parseReply(message);
        const bool ok = reply && !reply->error;
        if (verb == guard::Verb::Hello) {
            ::KillTimer(window_.get(), kHelloTimer);
            const auto hello = ok ? guard::parseHelloReply(reply->rest) : std::nullopt;
            guarded_ = hello && hello->guarded;
            events_.greeted(guarded_);
        } else if (verb == guard::Verb::Agreed) {
            const auto agreed = ok ? guard::parseAgreedReply(reply->rest) : std::nullopt;
            if (!agreed) {
                return;  // refused or malformed: the gate keeps its own end
            }
            if (agreed->secondsLeft == 0 && !agreed->message.empty()) {
                events_.dayUsedUp(agreed->message);
            } else {
                events_.endChanged(agreed->secondsLeft);
            }
        }
    }

    void stopReading() {
        if (reader_) {
            ::SetEvent(stop_.get());
            ::WaitForSingleObject(reader_.get(), INFINITE);
            reader_.reset();
        }
    }

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<GuardPipe*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && msg == kSayHello) {
            self->sayHello();
            return 0;
        }
        if (self != nullptr && msg == kHeard) {
            self->drain();
            return 0;
        }
        if (self != nullptr && msg == WM_TIMER && wp == kReconnectTimer) {
            self->reconnect();
            return 0;
        }
        if (self != nullptr && msg == WM_TIMER && wp == kHelloTimer) {
            ::KillTimer(hwnd, kHelloTimer);
            self->lost();  // a guard that does not answer Hello guards nothing
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

    // The reader thread: every message whole into the inbox, then none once the pipe is gone.
    static DWORD WINAPI read(void* p) {
        auto& self = *static_cast<GuardPipe*>(p);
        for (;;) {
            std::optional<std::string> message =
                readMessage(self.pipe_.get(), INFINITE, self.stop_.get());
            if (!message && ::WaitForSingleObject(self.stop_.get(), 0) == WAIT_OBJECT_0) {
                return 0;  // stopped: the program is ending, nothing more is handed on
            }
            const bool broken = !message;
            ::AcquireSRWLockExclusive(&self.inboxLock_);
            self.inbox_.push_back(std::move(message));
            ::ReleaseSRWLockExclusive(&self.inboxLock_);
            ::PostMessageW(self.window_.get(), kHeard, 0, 0);
            if (broken) {
                return 0;
            }
        }
    }

    GuardEvents& events_;
    ScopedHandle pipe_;  // none until sayHello when every instance was busy
    ScopedWindowClass windowClass_;
    ScopedOwnWindow window_;
    ScopedHandle stop_;
    ScopedHandle reader_;  // stopped first, in the destructor: it uses all of this
    SRWLOCK inboxLock_ = SRWLOCK_INIT;
    std::deque<std::optional<std::string>> inbox_;  // none: the pipe is gone
    std::deque<guard::Verb> asked_;                 // the answers still owed, in order
    bool said_ = false;                             // Hello went out
    bool gone_ = false;                             // this pipe is no more
    bool guarded_ = false;                          // the guard's last Hello said so
    bool agreedSaid_ = false;
    bool ending_ = false;
};

}  // namespace

std::unique_ptr<GuardLink> Win32Backend::connectGuard(GuardEvents& events) {
    HANDLE pipe = openPipe();
    if (pipe == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_PIPE_BUSY) {
        return nullptr;  // no guard on this computer
    }
    return std::make_unique<GuardPipe>(events, pipe);
}

}  // namespace runtime::win32
