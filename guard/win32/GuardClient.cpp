#include "guard/win32/GuardClient.h"

#include <windows.h>

#include "guard/win32/PipeServer.h"

namespace guard::win32 {

GuardClient::~GuardClient() {
    if (pipe_ != nullptr) {
        CloseHandle(pipe_);
    }
}

bool GuardClient::connect(unsigned waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        // Not GENERIC_WRITE: it holds the right to create an instance of the pipe, which no
        // client gets. Identification only: the guard may learn who we are, not act as us.
        HANDLE pipe = CreateFileW(kPipeName, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES,
                                  0, nullptr, OPEN_EXISTING,
                                  SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
            pipe_ = pipe;
            return true;
        }
        const DWORD spent = GetTickCount() - start;
        if (GetLastError() != ERROR_PIPE_BUSY || spent >= waitMs ||
            !WaitNamedPipeW(kPipeName, waitMs - spent)) {
            return false;
        }
    }
}

bool GuardClient::send(std::string_view message) {
    DWORD written = 0;
    return pipe_ != nullptr &&
           WriteFile(pipe_, message.data(), static_cast<DWORD>(message.size()), &written,
                     nullptr) &&
           written == message.size();
}

std::optional<std::string> GuardClient::receive() {
    if (pipe_ == nullptr) {
        return std::nullopt;
    }
    std::string message;
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        const BOOL ok = ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr);
        message.append(buffer, got);
        if (ok) {
            return message;
        }
        if (GetLastError() != ERROR_MORE_DATA || message.size() > (1u << 24)) {
            return std::nullopt;
        }
    }
}

std::optional<std::string> GuardClient::ask(std::string_view message) {
    return send(message) ? receive() : std::nullopt;
}

}  // namespace guard::win32
