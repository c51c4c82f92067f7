// Output files on real files under Wine: the checks change nothing, a partial
// file left by an earlier run is never reused, and a commit that cannot write
// its rows through to the disk or rename keeps the partial file and the
// user's file.
#include <gtest/gtest.h>
#include <errno.h>
#include <windows.h>

#include <string>

#include "platform/output_file.h"
#include "tests/support/read_all.h"

namespace {

void put(const std::wstring& path, const char* text) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    fputs(text, f);
    fclose(f);
}

TEST(OutputFileTest, ReplacesTheTargetOnlyWhenCommitted) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring target = std::wstring(dir) + L"quorvin-out.csv";
    const std::wstring stale = target + L".partial", second = target + L".2.partial";
    put(target, "old\n");
    put(stale, "an interrupted run's rows\n");
    DeleteFileW(second.c_str());

    EXPECT_EQ(output_file_check(target.c_str()), 0);
    EXPECT_EQ(output_file_check(dir), EISDIR);
    EXPECT_EQ(output_file_check(L"Z:\\no\\such\\folder\\x.csv"), ENOENT);
    OutputFile o;
    ASSERT_TRUE(output_file_open(&o, target.c_str()));
    EXPECT_EQ(std::wstring(o.partial), second);
    fputs("new\n", o.f);
    fflush(o.f);
    EXPECT_EQ(read_file(target), "old\n");
    ASSERT_TRUE(output_file_commit(&o));
    EXPECT_EQ(read_file(target), "new\n");
    EXPECT_EQ(read_file(stale), "an interrupted run's rows\n");
    EXPECT_EQ(GetFileAttributesW(second.c_str()), INVALID_FILE_ATTRIBUTES);

    // The target became a folder meanwhile: the rename fails, the rows stay.
    DeleteFileW(stale.c_str());
    ASSERT_TRUE(output_file_open(&o, target.c_str()));
    fputs("rows\n", o.f);
    DeleteFileW(target.c_str());
    CreateDirectoryW(target.c_str(), NULL);
    EXPECT_FALSE(output_file_commit(&o));
    EXPECT_EQ(read_file(stale), "rows\n");
    RemoveDirectoryW(target.c_str());
    DeleteFileW(stale.c_str());

    // Rows that cannot be written through to the disk (here a handle that
    // may only read) never take the target's place.
    put(target, "old\n");
    ASSERT_TRUE(output_file_open(&o, target.c_str()));
    fputs("unsure\n", o.f);
    fclose(o.f);
    o.f = _wfopen(o.partial, L"rb");
    ASSERT_NE(o.f, nullptr);
    EXPECT_FALSE(output_file_commit(&o));
    EXPECT_EQ(read_file(target), "old\n");
    EXPECT_EQ(read_file(stale), "unsure\n");
    DeleteFileW(stale.c_str());
    DeleteFileW(target.c_str());
}

}  // namespace
