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

std::int64_t logonOf(std::uint32_t id) {
    LPWSTR data = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, id, WTSSessionInfo, &data,
                                     &bytes)) {
        return 0;
    }
    std::unique_ptr<wchar_t, FreeWts> owner(data);
    if (bytes < sizeof(WTSINFOW)) {
        return 0;
    }
    const LONGLONG ticks = reinterpret_cast<const WTSINFOW*>(data)->LogonTime.QuadPart;
    return ticks > 0 ? (ticks - 116444736000000000LL) / 10000 : 0;
}

std::unique_ptr<unsigned char[]> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what) {
    DWORD bytes = 0;
    GetTokenInformation(token, what, nullptr, 0, &bytes);
    if (bytes == 0) {
        return nullptr;
    }
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bytes]);
    if (!GetTokenInformation(token, what, buffer.get(), bytes, &bytes)) {
        return nullptr;
    }
    return buffer;
}

// The account's relative id and the names of the groups in the session's token (LocalSystem
// may ask for any session's).
void readToken(std::uint32_t id, WindowsSession& out) {
    HANDLE raw = nullptr;
    if (!WTSQueryUserToken(id, &raw)) {
        return;
    }
    ScopedHandle token(raw);
    if (const auto user = tokenInformation(token.get(), TokenUser)) {
        PSID account = reinterpret_cast<const TOKEN_USER*>(user.get())->User.Sid;
        const UCHAR parts = *GetSidSubAuthorityCount(account);
        if (parts > 0) {
            out.uid = *GetSidSubAuthority(account, parts - 1u);
        }
    }
    const auto buffer = tokenInformation(token.get(), TokenGroups);
    if (!buffer) {
        return;
    }
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.get());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        wchar_t name[256], domain[256];
        DWORD nameSize = 256, domainSize = 256;
        SID_NAME_USE use;
        if (LookupAccountSidW(nullptr, groups->Groups[i].Sid, name, &nameSize, domain, &domainSize,
                              &use)) {
            out.groups.push_back(narrow(name));
        }
    }
}

}  // namespace

bool describeSession(std::uint32_t id, WindowsSession& out) {
    out.id = id;
    out.user = userOf(id);
    if (out.user.empty()) {
        return false;
    }
    readToken(id, out);
    out.logonMs = logonOf(id);
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
