#include "guard/win32/Places.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

namespace guard::win32 {

namespace {

// SYSTEM and Administrators full control, users read; not inherited from ProgramData, whose
// own entries let any user add files.
constexpr wchar_t kStateAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

}  // namespace

std::wstring programFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return L".";
        }
        if (n < path.size()) {
            std::wstring full(path.data(), n);
            return full.substr(0, full.find_last_of(L"\\/"));
        }
        path.resize(path.size() * 2);
    }
}

std::wstring stateFolder() {
    PWSTR data = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &data))) {
        return {};
    }
    std::wstring folder = std::wstring(data) + L"\\Porvane";
    CoTaskMemFree(data);

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kStateAccess, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    bool ready = CreateDirectoryW(folder.c_str(), &attributes) != 0;
    if (!ready && GetLastError() == ERROR_ALREADY_EXISTS) {
        // Made before us, perhaps by someone else: it gets our access rules all the same.
        BOOL present = FALSE, defaulted = FALSE;
        PACL acl = nullptr;
        GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
        std::vector<wchar_t> name(folder.begin(), folder.end());
        name.push_back(L'\0');
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr);
        ready = (GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    LocalFree(descriptor);
    return ready ? folder : std::wstring();
}

}  // namespace guard::win32
