// The simulated machine's own name rules, which the file engine relies on:
// names match without case and keep their spelling, and MAX_PATH, which
// Wine does not enforce, holds.
#include "files_fixture.h"

namespace {

class SimulatedPlatformTest : public FilesTest {};

}  // namespace

TEST_F(SimulatedPlatformTest, NamesIgnoreCaseKeepTheirSpellingAndFitMaxPath)
{
    MakeFile(Work(L"VxCsp.DLL"));
    EXPECT_TRUE(Exists(Work(L"..\\") + Work().substr(Work().rfind(L'\\') + 1) + L"\\vxcsp.dll"));
    EXPECT_EQ(std::vector<std::wstring>{L"VxCsp.DLL"}, Listing(Work()));

    std::wstring tooLong = Work(std::wstring(MAX_PATH - Work().size() - 1, L'x'));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileW(tooLong.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    WCHAR drive[_MAX_DRIVE];
    WCHAR folder[_MAX_DIR];
    std::wstring longFolder = L"C:\\" + std::wstring(300, L'd') + L"\\x.sys";
    _wsplitpath(longFolder.c_str(), drive, folder, nullptr, nullptr);
    EXPECT_EQ(L"C:", std::wstring(drive));
    EXPECT_EQ(static_cast<size_t>(_MAX_DIR - 1), std::wstring(folder).size());

    WCHAR path[MAX_PATH] = L"C:\\Windows";
    EXPECT_EQ(path + 11, PathAddBackslashW(path));
    EXPECT_EQ(L"C:\\Windows\\", std::wstring(path));
    EXPECT_EQ(path + 11, PathAddBackslashW(path));
}
