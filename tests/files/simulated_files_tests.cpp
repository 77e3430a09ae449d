// What Wine cannot show: it has no junctions, lets a folder be renamed while
// a file in it is open, drops read-only on folders, cannot fail to record a
// deletion at restart, and carries the records out only in a new session;
// its test programs are 64-bit processes, which WOW64 never redirects.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include <winsim/control.h>

#include "files/files.h"
#include "files_fixture.h"

namespace {

class SimulatedFilesTest : public FilesTest {};

}  // namespace

TEST_F(SimulatedFilesTest, JunctionsAreRemovedAsLinksAndTheirTargetsStay)
{
    std::wstring target = Work(L"Users data");
    MakeFolder(target);
    MakeFile(target + L"\\keys.dat");
    std::wstring d = Work(L"D");
    MakeFolder(d);
    MakeFile(d + L"\\a.dll");
    ASSERT_TRUE(winsim::MakeJunction((d + L"\\J").c_str(), target.c_str()));
    std::wstring linkedFolder = Work(L"Linked");
    ASSERT_TRUE(winsim::MakeJunction(linkedFolder.c_str(), target.c_str()));

    Printed inside = Capture([&] { return DeleteTreeIfExists(d.c_str(), 1, 0); });
    EXPECT_EQ(0u, inside.result);
    EXPECT_NE(std::wstring::npos, inside.out.find(L"RecurseWipeTree: " + d + L"\\J\nLink, not followed: " + d +
                                                  L"\\J\nDeleted dir: " + d + L"\\J\n"));
    EXPECT_EQ(std::wstring::npos, inside.out.find(L"keys.dat"));
    EXPECT_FALSE(Exists(d));

    Printed itself = Capture([&] { return DeleteTreeIfExists(linkedFolder.c_str(), 1, 0); });
    EXPECT_EQ(0u, itself.result);
    EXPECT_EQ(L"Link, not followed: " + linkedFolder + L"\nDeleted dir: " + linkedFolder + L"\n", itself.out);
    EXPECT_FALSE(Exists(linkedFolder));
    EXPECT_EQ(std::vector<std::wstring>{L"keys.dat"}, Listing(target));
}

TEST_F(SimulatedFilesTest, AfterTheRestartNothingOfATreeWithAFileInUseIsLeft)
{
    std::wstring d = Work(L"D");
    MakeFolder(d);
    MakeFolder(d + L"\\S");
    MakeFolder(d + L"\\S\\T");
    MakeInUse(d + L"\\S\\T\\b.dll");
    MakeFile(d + L"\\S\\csp77.tmp");  // a leftover of an earlier run

    Printed outcome = Capture([&] { return DeleteTreeIfExists(d.c_str(), 1, 0); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_EQ(1u, TmpNames(Work()).size());
    winsim::CarryOutPendingFileRenames();
    EXPECT_TRUE(Listing(Work()).empty());
}

TEST_F(SimulatedFilesTest, FolderHoldingALockedFileIsScheduledUnderItsOwnName)
{
    std::wstring d = Work(L"D");
    MakeFolder(d);
    MakeFile(d + L"\\vxssl.dll");
    Lock(d + L"\\vxssl.dll");

    Printed outcome = Capture([&] { return RecurseWipeTree(d.c_str()); });
    EXPECT_NE(0u, outcome.result);
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Failed to delete: " + d + L"\\vxssl.dll\n"));
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Failed to rename " + d +
                                                   L" to TmpName.\nMarked to delete on "
                                                   L"reboot dir: " +
                                                   d + L"\n"));
    EXPECT_TRUE(Exists(d + L"\\vxssl.dll"));
    std::vector<PendingRecord> records = NewPendingRenames();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Recorded(d), records[0].from);
}

TEST_F(SimulatedFilesTest, ReadOnlyFolderIsClearedAndRemoved)
{
    std::wstring d = Work(L"D");
    MakeFolder(d);
    MakeFolder(d + L"\\S");
    ASSERT_TRUE(SetFileAttributesW((d + L"\\S").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_FALSE(RemoveDirectoryW((d + L"\\S").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    Printed outcome = Capture([&] { return RecurseWipeTree(d.c_str()); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_FALSE(Exists(d));
}

TEST_F(SimulatedFilesTest, RecordsThatCannotBeMadeAreReportedAndCountAsFailures)
{
    std::wstring d = Work(L"D");
    MakeFolder(d);
    MakeInUse(d + L"\\b.dll");
    winsim::SetPendingRenameError(ERROR_ACCESS_DENIED);

    Printed outcome = Capture([&] { return RecurseWipeTree(d.c_str()); });
    EXPECT_NE(0u, outcome.result);
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Failed to delete: " + d + L"\\b.dll\n"));
    // The file stays under its temporary name, the folder was moved aside.
    std::vector<std::wstring> top = TmpNames(Work());
    ASSERT_EQ(1u, top.size());
    std::wstring moved = Work(top[0]);
    std::vector<std::wstring> inside = TmpNames(moved);
    ASSERT_EQ(1u, inside.size());
    std::vector<std::wstring> messages = ReportMessages(outcome.err);
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(L"MoveFileEx from file: " + d + L"\\" + inside[0] + L" to NULL fail.", messages[0]);
    EXPECT_EQ(L"MoveFileEx: " + moved + L"\\" + inside[0] + L" to NULL fail.", messages[1]);
    EXPECT_EQ(L"MoveFileEx: " + moved + L" to NULL fail.", messages[2]);
    EXPECT_TRUE(NewPendingRenames().empty());
}

// "No oem*.inf" is no failure (the driver package tests); any other failure of
// the search still is.
TEST_F(SimulatedFilesTest, AnInfSearchThatFailsOtherwiseThanNotFoundIsReported)
{
    winsim::FailCall("FindFirstFileW", winsim::CallCount("FindFirstFileW") + 1, ERROR_ACCESS_DENIED);
    Printed outcome = Capture([] { return CleanDriverPackages(1); });
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), outcome.result);
    EXPECT_EQ(std::vector<std::wstring>{L"FindFirstFile()"}, ReportMessages(outcome.err));
}

TEST_F(SimulatedFilesTest, NotesNameTheItemThatRedirectionAndJunctionsLeadTo)
{
    // Our 32-bit process on 64-bit Windows, its system folder redirected.
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    MakeFolder(L"C:\\Windows\\system32\\vxnotes");
    MakeFile(L"C:\\Windows\\system32\\vxnotes\\a.dll");
    MakeFile(L"C:\\Windows\\system32\\vxnote.dll");
    // A junction to a folder whose name, made on the host, holds a line break.
    std::string host = winsim::HostPathOf(Work());
    std::filesystem::create_directory(host + "/line\nbreak");
    std::ofstream(host + "/line\nbreak/x.dll") << "x";
    std::filesystem::create_directory_symlink(host + "/line\nbreak", host + "/J");
    const struct {
        std::wstring path;
        bool nameQueryMissing;
        std::vector<std::wstring> notes;
    } cases[] = {
        {L"C:\\Windows\\system32\\vxnotes",
         false,
         {L"; Deleted file: C:\\Windows\\SysWOW64\\vxnotes\\a.dll",
          L"; Deleted folder: C:\\Windows\\SysWOW64\\vxnotes"}},
        {Work(L"J\\x.dll"), false, {L"; Deleted file: " + Work(L"line\u240Abreak\\x.dll")}},
        {L"C:\\Windows\\system32\\vxnote.dll",
         true,
         {L"; Deleted file: C:\\Windows\\system32\\vxnote.dll (as given: where it really is could not be read)"}},
    };
    for (const auto &item : cases) {
        if (item.nameQueryMissing)
            winsim::RemoveExport("ntdll", "NtQueryInformationFile");
        RecordedCall run = UnderRecord([&] { return RecurseWipeTree(item.path.c_str()); });
        EXPECT_EQ(0u, run.printed.result) << run.printed.err;
        EXPECT_EQ(item.notes, run.notes);
    }
}

// A report notes what it finds where it really is: the system folder's file
// found with redirection off (the 64-bit pass) and the same name found through
// it (the 32-bit pass, SysWOW64) are two items, not one.
TEST_F(SimulatedFilesTest, AReportNotesEachItemFoundWhereItReallyIs)
{
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    const wchar_t *name = L"C:\\Windows\\system32\\vxfound.dll";
    MakeFile(name);
    typedef BOOL(WINAPI * Switch)(PVOID *);
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    Switch disable =
        reinterpret_cast<Switch>(reinterpret_cast<void *>(GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")));
    auto revert = reinterpret_cast<BOOL(WINAPI *)(PVOID)>(
        reinterpret_cast<void *>(GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")));
    ASSERT_TRUE(disable && revert);
    PVOID redirection;
    ASSERT_TRUE(disable(&redirection));
    MakeFile(name);
    EXPECT_EQ(0u, DeleteFileIfExists(name, 0, 0));
    ASSERT_TRUE(revert(redirection));
    EXPECT_EQ(0u, DeleteFileIfExists(name, 0, 0));
    std::vector<std::wstring> found;
    for (const Finding &finding : Findings())
        if (finding.path.find(L"vxfound") != std::wstring::npos)
            found.push_back(finding.path);
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(0, _wcsicmp(L"C:\\Windows\\System32\\vxfound.dll", found[0].c_str())) << found[0];
    EXPECT_EQ(0, _wcsicmp(L"C:\\Windows\\SysWOW64\\vxfound.dll", found[1].c_str())) << found[1];
}
