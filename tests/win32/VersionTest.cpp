// Porvane.exe's resources: the version fields, the icon and the manifest.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Win32TestSupport.h"

namespace {

std::wstring porvaneExe() {
    // build/windows/tests/win32/win32_tests.exe -> build/windows/Porvane.exe
    std::wstring dir = win32_test::exeFolder();
    for (int up = 0; up < 2; ++up) {
        dir = dir.substr(0, dir.find_last_of(L"\\/"));
    }
    return dir + L"\\Porvane.exe";
}

class VersionInfo : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        DWORD size = ::GetFileVersionInfoSizeW(porvaneExe().c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version information in Porvane.exe";
        data.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoW(porvaneExe().c_str(), 0, size, data.data()));
    }
    std::wstring string(const wchar_t* name) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data.data(), query.c_str(), &value, &length) || length == 0) {
            return L"<missing>";
        }
        return std::wstring(static_cast<const wchar_t*>(value), length - 1);
    }
    std::vector<unsigned char> data;
};

TEST_F(VersionInfo, CarriesTheVersionFields) {
    EXPECT_EQ(string(L"FileVersion"), L"1.00.0001");
    EXPECT_EQ(string(L"ProductVersion"), L"1.00.0001");
    EXPECT_EQ(string(L"ProductName"), L"Porvane");
    EXPECT_EQ(string(L"InternalName"), L"Porvane");
    EXPECT_EQ(string(L"OriginalFilename"), L"Porvane.exe");
    EXPECT_NE(string(L"FileDescription"), L"<missing>");

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", &value, &length));
    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1,0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);  // 0,1
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
}

TEST(Resources, IconAndManifest) {
    HMODULE exe = ::LoadLibraryExW(porvaneExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    EXPECT_NE(::FindResourceW(exe, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    HRSRC manifest = ::FindResourceW(exe, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    auto* text = static_cast<const char*>(::LockResource(::LoadResource(exe, manifest)));
    std::string xml(text, ::SizeofResource(exe, manifest));
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("<dpiAware>true</dpiAware>"), std::string::npos);
    EXPECT_NE(xml.find("asInvoker"), std::string::npos);
    // Both icon sizes, 16 colours.
    HICON big = static_cast<HICON>(::LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
    HICON small = static_cast<HICON>(::LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(big, nullptr);
    EXPECT_NE(small, nullptr);
    ::DestroyIcon(big);
    ::DestroyIcon(small);
    ::FreeLibrary(exe);
}

}  // namespace
