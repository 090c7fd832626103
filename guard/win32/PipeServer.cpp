#include "guard/win32/PipeServer.h"

#include <sddl.h>

#include <utility>

#include "guard/PipeMessage.h"

namespace guard::win32 {

namespace {

constexpr LONG kMaxConnections = 64;
// No one session may hold more, so that nobody can crowd out another session's gate.
constexpr int kMaxPerSession = 8;
constexpr DWORD kReplyBuffer = 64 * 1024;

// SYSTEM and Administrators: full control. Interactive users: read and write, but not
// FILE_CREATE_PIPE_INSTANCE (0x4, part of GENERIC_WRITE), so no user can add an instance of
// our pipe: FILE_GENERIC_READ | FILE_GENERIC_WRITE without it. Write attributes stays: a client
// needs it to set the message read mode.
constexpr wchar_t kPipeAccess[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x0012019b;;;IU)";

// What the token of the pipe's client (whose message we have just read) says.
ClientToken readClientToken(HANDLE pipe) {
    ClientToken read;
    if (!ImpersonateNamedPipeClient(pipe)) {
        return read;
    }
    HANDLE token = nullptr;
    const BOOL opened = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token);
    if (!RevertToSelf()) {
        // Never go on as someone else.
        ExitProcess(1);
    }
    if (!opened) {
        return read;
    }
    unsigned char sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    BOOL member = FALSE;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
        CheckTokenMembership(token, sid, &member)) {
        read.administrator = member != FALSE;
    }
    unsigned char user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD got = 0;
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &got)) {
        PSID account = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
        const UCHAR parts = *GetSidSubAuthorityCount(account);
        if (parts > 0) {
            read.uid = *GetSidSubAuthority(account, parts - 1u);
        }
    }
    CloseHandle(token);
    return read;
}

// Waits for an overlapped operation, or for `stop`; false when it failed or we stopped.
bool finish(HANDLE pipe, OVERLAPPED& op, HANDLE stop, DWORD& bytes, DWORD& error) {
    HANDLE waits[] = {op.hEvent, stop};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &op, &bytes, TRUE);
        error = ERROR_OPERATION_ABORTED;
        return false;
    }
    if (GetOverlappedResult(pipe, &op, &bytes, FALSE)) {
        return true;
    }
    error = GetLastError();
    return false;
}

}  // namespace

struct PipeServer::Connection {
    PipeServer* server = nullptr;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE wake = nullptr;  // set when the outbox has lines
    HANDLE thread = nullptr;
    volatile LONG done = 0;
    SRWLOCK outLock = SRWLOCK_INIT;
    std::vector<std::string> outbox;
    PipeClient client;

    // Writes one message whole; false when the client is gone.
    bool write(const std::string& text) {
        OVERLAPPED op{};
        op.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD bytes = 0, error = 0;
        bool ok = WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), nullptr, &op) ||
                  GetLastError() == ERROR_IO_PENDING;
        ok = ok && finish(pipe, op, server->stop_, bytes, error);
        CloseHandle(op.hEvent);
        return ok;
    }

    bool flushOutbox() {
        AcquireSRWLockExclusive(&outLock);
        std::vector<std::string> lines;
        lines.swap(outbox);
        ReleaseSRWLockExclusive(&outLock);
        for (const auto& line : lines) {
            if (!write(line)) {
                return false;
            }
        }
        return true;
    }

    // Serves the connection until the client goes or the server stops.
    void run() {
        OVERLAPPED op{};
        op.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        char buffer[kMaxRequest];
        for (;;) {
            ResetEvent(op.hEvent);
            DWORD bytes = 0, error = 0;
            bool ok = ReadFile(pipe, buffer, sizeof buffer, nullptr, &op) != 0;
            if (!ok && GetLastError() != ERROR_IO_PENDING) {
                error = GetLastError();
            } else {
                // While the read waits, lines for the gate go out.
                HANDLE waits[] = {op.hEvent, wake, server->stop_};
                DWORD which;
                while ((which = WaitForMultipleObjects(3, waits, FALSE, INFINITE)) ==
                       WAIT_OBJECT_0 + 1) {
                    if (!flushOutbox()) {
                        break;
                    }
                }
                ok = which == WAIT_OBJECT_0 && GetOverlappedResult(pipe, &op, &bytes, FALSE);
                if (which != WAIT_OBJECT_0) {
                    CancelIo(pipe);
                    GetOverlappedResult(pipe, &op, &bytes, TRUE);
                    break;
                }
                error = ok ? 0 : GetLastError();
            }
            if (!ok && error == ERROR_MORE_DATA) {
                // Longer than any request: refused, and this client is done with.
                server->talk_.onMessage(client, {}, {});
                write(formatError(ReplyError::Refused));
                break;
            }
            if (!ok) {
                break;  // the client is gone (a broken pipe), however it ended
            }
            const std::string reply = server->talk_.onMessage(client, readClientToken(pipe),
                                                              std::string_view(buffer, bytes));
            if (!write(reply)) {
                break;
            }
        }
        CloseHandle(op.hEvent);
        // The guard stopping is no end of the client's.
        if (WaitForSingleObject(server->stop_, 0) != WAIT_OBJECT_0) {
            server->talk_.onClosed(client);
        }
        FlushFileBuffers(pipe);
        DisconnectNamedPipe(pipe);
        CloseHandle(pipe);
        pipe = INVALID_HANDLE_VALUE;
        ReleaseSemaphore(server->slots_, 1, nullptr);
        InterlockedExchange(&done, 1);
    }
};

PipeServer::PipeServer(PipeTalk& talk) : talk_(talk) {}

PipeServer::~PipeServer() {
    stop();
}

HANDLE PipeServer::newInstance(bool first) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, access_, FALSE};
    const DWORD openMode =
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    const DWORD pipeMode =
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    return CreateNamedPipeW(kPipeName, openMode, pipeMode, PIPE_UNLIMITED_INSTANCES, kReplyBuffer,
                            kMaxRequest, 0, &attributes);
}

DWORD PipeServer::start() {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeAccess, SDDL_REVISION_1,
                                                              &access_, nullptr)) {
        return GetLastError();
    }
    firstInstance_ = newInstance(true);
    if (firstInstance_ == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    slots_ = CreateSemaphoreW(nullptr, kMaxConnections, kMaxConnections, nullptr);
    listener_ = CreateThread(nullptr, 0, listen, this, 0, nullptr);
    return listener_ != nullptr ? 0 : GetLastError();
}

void PipeServer::stop() {
    if (listener_ == nullptr) {
        return;
    }
    SetEvent(stop_);
    WaitForSingleObject(listener_, INFINITE);
    CloseHandle(listener_);
    listener_ = nullptr;
    reap(true);
    CloseHandle(slots_);
    CloseHandle(stop_);
    LocalFree(access_);
    access_ = nullptr;
}

void PipeServer::tell(const std::string& name, const std::string& line) {
    AcquireSRWLockShared(&lock_);
    for (Connection* c : connections_) {
        if (!c->done && c->client.name == name) {
            AcquireSRWLockExclusive(&c->outLock);
            c->outbox.push_back(line);
            ReleaseSRWLockExclusive(&c->outLock);
            SetEvent(c->wake);
        }
    }
    ReleaseSRWLockShared(&lock_);
}

int PipeServer::held(std::uint32_t session) {
    AcquireSRWLockShared(&lock_);
    int count = 0;
    for (const Connection* c : connections_) {
        count += !c->done && c->client.session == session ? 1 : 0;
    }
    ReleaseSRWLockShared(&lock_);
    return count;
}

// Frees the connections whose threads have ended (all of them, waiting, when `all`).
void PipeServer::reap(bool all) {
    AcquireSRWLockExclusive(&lock_);
    std::vector<Connection*> kept;
    std::vector<Connection*> ended;
    for (Connection* c : connections_) {
        (all || c->done ? ended : kept).push_back(c);
    }
    connections_.swap(kept);
    ReleaseSRWLockExclusive(&lock_);
    for (Connection* c : ended) {
        WaitForSingleObject(c->thread, INFINITE);
        CloseHandle(c->thread);
        CloseHandle(c->wake);
        delete c;
    }
}

DWORD WINAPI PipeServer::serve(void* connection) {
    static_cast<Connection*>(connection)->run();
    return 0;
}

DWORD WINAPI PipeServer::listen(void* self) {
    auto& server = *static_cast<PipeServer*>(self);
    // The listening instance always exists before the connected one is handed on, so the name
    // is never free for someone else to take.
    HANDLE pipe = std::exchange(server.firstInstance_, INVALID_HANDLE_VALUE);
    OVERLAPPED op{};
    op.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
        if (pipe == INVALID_HANDLE_VALUE) {
            pipe = server.newInstance(false);
            if (pipe == INVALID_HANDLE_VALUE &&
                WaitForSingleObject(server.stop_, 1000) == WAIT_OBJECT_0) {
                break;
            }
            continue;
        }
        HANDLE slotWait[] = {server.slots_, server.stop_};
        if (WaitForMultipleObjects(2, slotWait, FALSE, INFINITE) != WAIT_OBJECT_0) {
            break;
        }
        server.reap(false);
        ResetEvent(op.hEvent);
        DWORD bytes = 0, error = 0;
        bool connected = ConnectNamedPipe(pipe, &op) != 0;
        if (!connected) {
            error = GetLastError();
            connected = error == ERROR_PIPE_CONNECTED ||
                        (error == ERROR_IO_PENDING && finish(pipe, op, server.stop_, bytes, error));
        }
        ULONG pid = 0;
        DWORD session = 0;
        if (!connected || !GetNamedPipeClientProcessId(pipe, &pid) ||
            !ProcessIdToSessionId(pid, &session) || server.held(session) >= kMaxPerSession) {
            ReleaseSemaphore(server.slots_, 1, nullptr);
            if (WaitForSingleObject(server.stop_, 0) == WAIT_OBJECT_0) {
                break;
            }
            // A client gone already, one we cannot place, or one too many of its session: start
            // over with this instance.
            DisconnectNamedPipe(pipe);
            continue;
        }
        auto* c = new Connection;
        c->server = &server;
        c->pipe = pipe;
        c->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        c->client.name = "pipe:" + std::to_string(++server.connected_);
        c->client.processId = pid;
        c->client.session = session;
        pipe = server.newInstance(false);
        AcquireSRWLockExclusive(&server.lock_);
        server.connections_.push_back(c);
        c->thread = CreateThread(nullptr, 0, serve, c, 0, nullptr);
        if (c->thread == nullptr) {
            server.connections_.pop_back();
        }
        ReleaseSRWLockExclusive(&server.lock_);
        if (c->thread == nullptr) {
            CloseHandle(c->pipe);
            CloseHandle(c->wake);
            delete c;
            ReleaseSemaphore(server.slots_, 1, nullptr);
        }
    }
    if (pipe != INVALID_HANDLE_VALUE) {
        CloseHandle(pipe);
    }
    CloseHandle(op.hEvent);
    return 0;
}

}  // namespace guard::win32
