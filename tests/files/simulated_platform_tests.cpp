// The simulated machine's own file rules, which the cleanup plans rely on and
// Wine cannot show for a 32-bit process: the folders and environment of our
// process on 64-bit and 32-bit Windows, and WOW64 redirection of the system
// folder; also MAX_PATH, which Wine does not enforce.
#include <winsim/control.h>

#include "files_fixture.h"

namespace {

class SimulatedPlatformTest : public FilesTest {
  protected:
    std::wstring Expand(const wchar_t *text)
    {
        WCHAR expanded[MAX_PATH];
        DWORD length = ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
        EXPECT_LT(0u, length);
        return length && length <= MAX_PATH ? expanded : L"";
    }
    // Through the exports that the program looks up, as the driver does.
    template <typename Function> Function Export(const char *name)
    {
        FARPROC address = GetProcAddress(GetModuleHandleW(L"kernel32"), name);
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    }
    BOOL SetRedirection(bool off, PVOID *oldValue)
    {
        if (off)
            return Export<BOOL(WINAPI *)(PVOID *)>("Wow64DisableWow64FsRedirection")(oldValue);
        return Export<BOOL(WINAPI *)(PVOID)>("Wow64RevertWow64FsRedirection")(*oldValue);
    }
};

}  // namespace

TEST_F(SimulatedPlatformTest, ProgramFoldersAsOur32BitProcessSeesThem)
{
    const wchar_t *all = L"%ProgramFiles%|%ProgramW6432%|%CommonProgramFiles%|%CommonProgramW6432%";
    EXPECT_EQ(L"C:\\Program Files|%ProgramW6432%|C:\\Program Files\\Common Files|%CommonProgramW6432%", Expand(all));
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    EXPECT_EQ(L"C:\\Program Files (x86)|C:\\Program Files|C:\\Program Files (x86)\\Common Files|C:\\Program "
              L"Files\\Common Files",
              Expand(all));
    WCHAR small[4];
    EXPECT_EQ(23u, ExpandEnvironmentStringsW(L"%ProgramFiles%", small, 4));

    WCHAR folder[MAX_PATH];
    const std::pair<int, const wchar_t *> known[] = {
        {CSIDL_SYSTEM, L"C:\\Windows\\system32"},
        {CSIDL_WINDOWS, L"C:\\Windows"},
        {CSIDL_COMMON_STARTMENU, L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
    };
    for (const auto &entry : known) {
        EXPECT_EQ(S_OK, SHGetFolderPathW(nullptr, entry.first, nullptr, SHGFP_TYPE_CURRENT, folder));
        EXPECT_EQ(std::wstring(entry.second), folder);
        EXPECT_TRUE(Exists(folder));
    }
}

TEST_F(SimulatedPlatformTest, SystemFolderIsRedirectedUntilOurThreadTurnsItOff)
{
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    MakeFile(L"C:\\WINDOWS\\system32\\vxcsp.dll");
    MakeFile(L"C:\\Windows\\System32\\drivers\\etc\\hosts.vx");
    EXPECT_TRUE(Exists(L"C:\\Windows\\SysWOW64\\vxcsp.dll"));
    EXPECT_TRUE(Exists(L"C:\\Windows\\System32\\vxcsp.dll"));

    PVOID oldValue = nullptr;
    ASSERT_TRUE(SetRedirection(true, &oldValue));
    EXPECT_FALSE(Exists(L"C:\\Windows\\System32\\vxcsp.dll"));
    EXPECT_TRUE(Exists(L"C:\\Windows\\SysWOW64\\vxcsp.dll"));
    EXPECT_TRUE(Exists(L"C:\\Windows\\System32\\drivers\\etc\\hosts.vx"));
    ASSERT_TRUE(SetRedirection(false, &oldValue));
    EXPECT_TRUE(Exists(L"C:\\Windows\\System32\\vxcsp.dll"));

    // 32-bit Windows has no SysWOW64 to send anything to.
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    EXPECT_FALSE(Exists(L"C:\\Windows\\System32\\vxcsp.dll"));
}

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
