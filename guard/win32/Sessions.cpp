#include "guard/win32/Sessions.h"

#include <windows.h>

#include <wtsapi32.h>

#include <algorithm>
#include <memory>

#include "runtime/system/win32/Scoped.h"
#include "runtime/system/win32/WideText.h"

namespace guard::win32 {

namespace {

using runtime::win32::narrow;
using runtime::win32::ScopedHandle;

struct FreeWts {
    void operator()(void* p) const { WTSFreeMemory(p); }
};

std::string userOf(std::uint32_t id) {
    LPWSTR name = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, id, WTSUserName, &name, &bytes)) {
        return {};
    }
    std::unique_ptr<wchar_t, FreeWts> owner(name);
    return narrow(name);
}

// The names of the groups in the session's token (LocalSystem may ask for any session's).
std::vector<std::string> groupsOf(std::uint32_t id) {
    std::vector<std::string> names;
    HANDLE raw = nullptr;
    if (!WTSQueryUserToken(id, &raw)) {
        return names;
    }
    ScopedHandle token(raw);
    DWORD bytes = 0;
    GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &bytes);
    if (bytes == 0) {
        return names;
    }
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bytes]);
    if (!GetTokenInformation(token.get(), TokenGroups, buffer.get(), bytes, &bytes)) {
        return names;
    }
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.get());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        wchar_t name[256], domain[256];
        DWORD nameSize = 256, domainSize = 256;
        SID_NAME_USE use;
        if (LookupAccountSidW(nullptr, groups->Groups[i].Sid, name, &nameSize, domain, &domainSize,
                              &use)) {
            names.push_back(narrow(name));
        }
    }
    return names;
}

}  // namespace

bool describeSession(std::uint32_t id, WindowsSession& out) {
    out.id = id;
    out.user = userOf(id);
    if (out.user.empty()) {
        return false;
    }
    out.groups = groupsOf(id);
    return true;
}

std::vector<WindowsSession> loggedOnSessions() {
    std::vector<DWORD> ids;
    PWTS_SESSION_INFOW info = nullptr;
    DWORD count = 0;
    if (WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) {
        std::unique_ptr<WTS_SESSION_INFOW, FreeWts> owner(info);
        for (DWORD i = 0; i < count; ++i) {
            ids.push_back(info[i].SessionId);
        }
    }
    // The console's session too, whether or not the list holds it (Wine's list is empty).
    const DWORD console = WTSGetActiveConsoleSessionId();
    if (console != 0xFFFFFFFF && std::find(ids.begin(), ids.end(), console) == ids.end()) {
        ids.push_back(console);
    }
    std::vector<WindowsSession> sessions;
    for (const DWORD id : ids) {
        WindowsSession session;
        if (id != 0 && describeSession(id, session)) {
            sessions.push_back(std::move(session));
        }
    }
    return sessions;
}

std::uint32_t logOff(std::uint32_t id) {
    if (WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, id, FALSE)) {
        return 0;
    }
    return GetLastError();
}

}  // namespace guard::win32
