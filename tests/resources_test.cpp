// Both built executables, read back as Windows reads them: the embedded
// manifest, the icon group and the version block.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/version.h"

namespace {

std::wstring beside_this_test(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

std::wstring version_string(const std::vector<uint8_t>& block, const wchar_t* key) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    void* value = NULL;
    UINT units = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &units) || !value)
        return L"(missing)";
    return std::wstring((const wchar_t*)value);
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ResourcesTest, BothExecutablesCarryManifestIconAndVersion) {
    for (const wchar_t* name : {L"quorvin.exe", L"quorvin-cli.exe"}) {
        SCOPED_TRACE(testing::Message() << (name[7] == L'-' ? "quorvin-cli.exe" : "quorvin.exe"));
        const std::wstring path = beside_this_test(name);
        HMODULE m = LoadLibraryExW(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m, nullptr);

        HRSRC res = FindResourceW(m, MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_NE(res, nullptr);
        std::string manifest((const char*)LockResource(LoadResource(m, res)), SizeofResource(m, res));
        for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                 "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
                                 ">PerMonitorV2, PerMonitor</dpiAwareness>",
                                 ">true/pm</dpiAware>", ">UTF-8</activeCodePage>"})
            EXPECT_NE(manifest.find(part), std::string::npos) << part;

        res = FindResourceW(m, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
        ASSERT_NE(res, nullptr);
        const uint8_t* group = (const uint8_t*)LockResource(LoadResource(m, res));
        WORD count = *(const WORD*)(group + 4);
        ASSERT_EQ(count, 4);
        const IconGroupEntry* e = (const IconGroupEntry*)(group + 6);
        EXPECT_EQ(e[0].width, 16);
        EXPECT_EQ(e[1].width, 32);
        EXPECT_EQ(e[2].width, 48);
        EXPECT_EQ(e[3].width, 0);  // 256
        FreeLibrary(m);

        DWORD ignored = 0;
        DWORD bytes = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(bytes, 0u);
        std::vector<uint8_t> block(bytes);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, bytes, block.data()));
        EXPECT_EQ(version_string(block, L"ProductName"), L"Quorvin");
        EXPECT_EQ(version_string(block, L"OriginalFilename"), name);
        EXPECT_EQ(version_string(block, L"FileVersion"), QUORVIN_VERSION_WIDE);
        EXPECT_EQ(version_string(block, L"ProductVersion"), QUORVIN_VERSION_WIDE);
        EXPECT_NE(version_string(block, L"FileDescription").find(L"polling-rate tester"), std::wstring::npos);
        EXPECT_NE(version_string(block, L"LegalCopyright").find(L"The Quorvin authors"), std::wstring::npos);
        VS_FIXEDFILEINFO* fixed = NULL;
        UINT units = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", (void**)&fixed, &units));
        EXPECT_EQ(fixed->dwFileVersionMS, (DWORD)MAKELONG(QUORVIN_VERSION_MINOR, QUORVIN_VERSION_MAJOR));
    }
}

}  // namespace
