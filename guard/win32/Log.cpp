#include "guard/win32/Log.h"

#include <windows.h>

#include <cstdio>

#include "runtime/system/win32/WideText.h"

namespace guard::win32 {

namespace {

SRWLOCK logLock = SRWLOCK_INIT;
HANDLE eventSource = nullptr;
HANDLE logFile = INVALID_HANDLE_VALUE;

}  // namespace

void openLog(const std::wstring& folder) {
    AcquireSRWLockExclusive(&logLock);
    if (eventSource == nullptr) {
        eventSource = RegisterEventSourceW(nullptr, L"PorvaneGuard");
    }
    if (logFile == INVALID_HANDLE_VALUE) {
        // Appended to, readable by others while the guard runs (the tests, an administrator).
        logFile = CreateFileW((folder + L"\\guard.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ReleaseSRWLockExclusive(&logLock);
}

void closeLog() {
    AcquireSRWLockExclusive(&logLock);
    if (logFile != INVALID_HANDLE_VALUE) {
        CloseHandle(logFile);
        logFile = INVALID_HANDLE_VALUE;
    }
    if (eventSource != nullptr) {
        DeregisterEventSource(eventSource);
        eventSource = nullptr;
    }
    ReleaseSRWLockExclusive(&logLock);
}

void logLine(std::string_view line) {
    const std::wstring wide = runtime::win32::widen(line);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    const std::string text = stamp + std::string(line) + "\r\n";

    AcquireSRWLockExclusive(&logLock);
    if (eventSource != nullptr) {
        const wchar_t* strings[] = {wide.c_str()};
        ReportEventW(eventSource, EVENTLOG_INFORMATION_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
    }
    if (logFile != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    ReleaseSRWLockExclusive(&logLock);
}

}  // namespace guard::win32
