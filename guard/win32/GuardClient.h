#pragma once
// The other end of the guard's pipe, for PorvaneCtl.exe: one connection, messages sent and
// received whole. (The gate has its own, in runtime/win32/Guard.cpp: it reads and writes at once.)

#include <optional>
#include <string>
#include <string_view>

namespace guard::win32 {

class GuardClient {
  public:
    GuardClient() = default;
    ~GuardClient();
    GuardClient(const GuardClient&) = delete;
    GuardClient& operator=(const GuardClient&) = delete;

    // Connects to the guard, waiting up to `waitMs` while every instance is busy; false when no
    // guard runs (or it does not answer in time).
    bool connect(unsigned waitMs = 2000);
    bool send(std::string_view message);
    // The next message from the guard (a reply or a line for the gate); none when the
    // connection is gone.
    std::optional<std::string> receive();
    // send, then the next message.
    std::optional<std::string> ask(std::string_view message);

  private:
    void* pipe_ = nullptr;
};

}  // namespace guard::win32
