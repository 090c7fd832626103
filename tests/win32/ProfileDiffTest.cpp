// Our profile reader against the platform's own (GetPrivateProfileStringW and ...A) on the same
// ANSI/ASCII (and a few Unicode) files. Every case pins down our value and, where the platform
// here (Wine) differs deliberately, its value too: docs/PROFILE-FORMAT.md lists those.

#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>

#include "ProfileCases.h"
#include "Win32TestSupport.h"
#include "runtime/system/win32/WideText.h"
#include "settings/Profile.h"
#include "text/Utf8.h"

namespace profile_cases {
// Test names carry the case's name; gtest need not dump its bytes.
void PrintTo(const Case& k, std::ostream* out) {
    *out << k.name;
}
}  // namespace profile_cases

namespace {

using profile_cases::Case;
using runtime::win32::narrow;
using runtime::win32::widen;

constexpr DWORD kBuffer = 500;  // the settings readers' buffer

struct Result {
    std::string value;
    std::size_t count = 0;
};

Result ours(const Case& k, const std::wstring& file) {
    std::u16string buf(kBuffer, u' ');
    std::size_t n = runtime::readProfileString(
        text::utf8ToUtf16(k.section), text::utf8ToUtf16(k.key), text::utf8ToUtf16(k.defaultValue),
        buf.data(), kBuffer, narrow(file));
    return {text::utf16ToUtf8(buf.substr(0, n)), n};
}

Result platformW(const Case& k, const std::wstring& file) {
    wchar_t buf[kBuffer];
    DWORD n = ::GetPrivateProfileStringW(widen(k.section).c_str(), widen(k.key).c_str(),
                                         widen(k.defaultValue).c_str(), buf, kBuffer, file.c_str());
    return {narrow(std::wstring(buf, n)), n};
}

Result platformA(const Case& k, const std::wstring& file) {
    // The test's names and paths are ASCII; the value comes back in the ANSI code page.
    std::string afile(file.begin(), file.end());
    char buf[kBuffer];
    DWORD n = ::GetPrivateProfileStringA(k.section.c_str(), k.key.c_str(), k.defaultValue.c_str(),
                                         buf, kBuffer, afile.c_str());
    wchar_t wide[kBuffer * 2];
    int m = ::MultiByteToWideChar(CP_ACP, 0, buf, static_cast<int>(n), wide, kBuffer * 2);
    return {narrow(std::wstring(wide, static_cast<std::size_t>(m))), n};
}

class ProfileDiff : public ::testing::TestWithParam<Case> {
  protected:
    win32_test::TempFolder dir;
};

TEST_P(ProfileDiff, MatchesThePlatformOrDiffersDeliberately) {
    const Case& k = GetParam();
    std::wstring file = dir.path() + L"\\case.ini";
    if (!k.noFile) {
        dir.write(L"case.ini", k.bytes);
    }
    Result o = ours(k, file);
    Result w = platformW(k, file);
    Result a = platformA(k, file);

    EXPECT_EQ(o.value, k.ours) << "our reader";
    EXPECT_EQ(o.count, text::utf8ToUtf16(o.value).size());
    std::string platform = k.wine.value_or(k.ours);
    EXPECT_EQ(w.value, platform) << "GetPrivateProfileStringW";
    EXPECT_EQ(a.value, platform) << "GetPrivateProfileStringA";
    if (!k.wine) {
        EXPECT_EQ(o.count, w.count) << "count against GetPrivateProfileStringW";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileDiff, ::testing::ValuesIn(profile_cases::all()),
                         [](const auto& row) { return row.param.name; });

TEST(ProfileDiffWine, ReadsAnsiInCodePage1252) {
    // The cases' expectations for ANSI bytes assume Windows-1252, as our reader uses.
    EXPECT_EQ(::GetACP(), 1252u);
}

}  // namespace
