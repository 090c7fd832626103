#pragma once
// The guard's named pipe, \\.\pipe\PorvaneGuard: one thread per connection, a bounded number of
// them (and of each session's), each message read whole (message mode) and at most kMaxRequest
// bytes. Only SYSTEM and Administrators may create or own the pipe; interactive users may
// connect, read and write. Who is calling comes from the pipe itself (the client's process, then
// its session), never from a message. A connection stays open as long as its client lives, so
// that a gate's death is seen by the broken pipe.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "guard/win32/PipeName.h"

namespace guard::win32 {

// One connected client, as the pipe knows it.
struct PipeClient {
    std::string name;  // this connection's own name, "pipe:N", never reused while we run
    std::uint32_t processId = 0;
    std::uint32_t session = 0;
};

// What the client's token says, read afresh for each message.
struct ClientToken {
    bool administrator = false;  // it holds the Administrators group
    std::uint32_t uid = 0;       // the account's relative id (the last part of its SID)
};

// What the server asks of the guard for each connection (from the connection's own thread).
class PipeTalk {
  public:
    virtual ~PipeTalk() = default;
    // The reply to one message.
    virtual std::string onMessage(const PipeClient& client, const ClientToken& token,
                                  std::string_view message) = 0;
    // The client is gone, however it ended (not called when the server stops).
    virtual void onClosed(const PipeClient& client) = 0;
};

class PipeServer {
  public:
    explicit PipeServer(PipeTalk& talk);
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    // Creates the pipe (failing when someone else already holds the name) and starts serving;
    // on failure, the error number.
    DWORD start();
    // Stops serving and waits for every connection's thread to end.
    void stop();
    // Writes `line` on the connection of that name, while it is open.
    void tell(const std::string& name, const std::string& line);

    struct Connection;

  private:
    static DWORD WINAPI listen(void* self);
    static DWORD WINAPI serve(void* connection);
    HANDLE newInstance(bool first);
    void reap(bool all);
    // The open connections of one session.
    int held(std::uint32_t session);

    PipeTalk& talk_;
    HANDLE stop_ = nullptr;
    HANDLE slots_ = nullptr;  // a semaphore: the connections still allowed
    HANDLE listener_ = nullptr;
    HANDLE firstInstance_ = INVALID_HANDLE_VALUE;
    PSECURITY_DESCRIPTOR access_ = nullptr;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<Connection*> connections_;
    unsigned long long connected_ = 0;
};

}  // namespace guard::win32
