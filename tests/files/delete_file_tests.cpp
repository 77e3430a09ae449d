// One file: deleted at once, or moved to a temporary name and scheduled for
// deletion at restart when it is in use; the four ways of DeleteFileIfExists.
#include <cwctype>

#include "driver/wow64.h"
#include "files/files.h"
#include "files_fixture.h"
#include "test_machine.h"

namespace {

class DeleteFileTest : public FilesTest {};

}  // namespace

TEST_F(DeleteFileTest, FileInUseMovesToATmpNameInItsFolderAndIsScheduled)
{
    std::wstring path = Work(L"vxcsp.dll");
    MakeInUse(path);
    Printed outcome = Capture([&] { return DeleteFileIfExists(path.c_str(), 1, 0); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_EQ(L"File: " + path + L" couldn't be deleted.\nFile: " + path + L" success mark delete at reboot.\n",
              outcome.out);
    EXPECT_EQ(L"", outcome.err);
    EXPECT_FALSE(Exists(path));
    // The file took the placeholder's name: one temporary name, and the record names it.
    std::vector<std::wstring> tmpNames = TmpNames(Work());
    ASSERT_EQ(1u, tmpNames.size());
    std::vector<PendingRecord> records = NewPendingRenames();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Recorded(Work(tmpNames[0])), records[0].from);
    EXPECT_EQ(L"", records[0].to);
}

// A 32-bit process on 64-bit Windows reaches SysWOW64 as System32; the
// restart, which knows no redirection, must be told the real folder.
TEST_F(DeleteFileTest, AFileInUseInSysWow64IsScheduledWhereItReallyIs)
{
    UseBothViews();
    if (!IsWow64())
        GTEST_SKIP() << "no SysWOW64: this process does not run on 64-bit Windows as a 32-bit process";
    const std::wstring path = L"C:\\Windows\\System32\\vxsched.dll";
    MakeInUse(path);
    EXPECT_EQ(0u, Capture([&] { return DeleteFileIfExists(path.c_str(), 1, 0); }).result);
    std::vector<PendingRecord> records = NewPendingRenames();
    ASSERT_EQ(1u, records.size());
    std::wstring recorded = records[0].from;
    for (wchar_t &c : recorded)
        c = static_cast<wchar_t>(std::towlower(c));
    EXPECT_EQ(0u, recorded.find(L"\\??\\c:\\windows\\syswow64\\csp")) << records[0].from;
}

TEST_F(DeleteFileTest, LockedFileStaysAndIsReportedWithItsCause)
{
    std::wstring path = Work(L"vxtls.dll");
    MakeFile(path);
    Lock(path);
    Printed outcome = Capture([&] { return DeleteFileIfExists(path.c_str(), 1, 0); });
    EXPECT_NE(0u, outcome.result);
    EXPECT_EQ(L"File: " + path + L" couldn't be deleted.\n", outcome.out);
    // The empty placeholder the move was to fill goes again: nothing of the run's own is left.
    EXPECT_TRUE(TmpNames(Work()).empty());
    std::vector<std::wstring> messages = ReportMessages(outcome.err);
    ASSERT_EQ(2u, messages.size()) << outcome.err;
    EXPECT_EQ(0u, messages[0].rfind(L"MoveFileEx from file: " + path + L" to " + Work(L"csp"), 0)) << messages[0];
    EXPECT_EQ(L"Can not remove: " + path, messages[1]);
    EXPECT_NE(std::wstring::npos, outcome.err.find(L"Error number 0x20 (32).")) << "the cause: a sharing violation";
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(NewPendingRenames().empty());
}

TEST_F(DeleteFileTest, DeleteFileIfExistsInEachModeAndWarnSetting)
{
    struct Row {
        DWORD mode;
        DWORD warn;
        bool removed;
        std::vector<std::wstring> reports;
    };
    std::wstring path = Work(L"vxcpl.cpl");
    const Row rows[] = {
        {0, 0, false, {}},
        {0, 1, false, {L"Redundant data found: " + path}},
        {1, 0, true, {}},
        {1, 1, true, {L"Redundant data found: " + path}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " warn " << row.warn);
        Printed absent = Capture([&] { return DeleteFileIfExists(path.c_str(), row.mode, row.warn); });
        EXPECT_EQ(0u, absent.result);
        EXPECT_EQ(L"File not exist: " + path + L"\n", absent.out);
        EXPECT_EQ(L"", absent.err);

        // Read-only, hidden and system: deleted at once all the same.
        MakeFile(path);
        ASSERT_TRUE(
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        Printed present = Capture([&] { return DeleteFileIfExists(path.c_str(), row.mode, row.warn); });
        EXPECT_EQ(row.warn != 0, present.result != 0);
        EXPECT_EQ(L"", present.out);
        EXPECT_EQ(row.reports, ReportMessages(present.err));
        EXPECT_EQ(!row.removed, Exists(path));
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    EXPECT_TRUE(NewPendingRenames().empty());
}

TEST_F(DeleteFileTest, RenameToTmpNameMovesAFolderOrAFileIntoItsParent)
{
    std::wstring folder = Work(L"Vexa Lune");
    MakeFolder(folder);
    MakeFile(folder + L"\\cpl.dll", "folder content");
    std::wstring file = Work(L"vxcsp.dll");
    MakeFile(file, "file content");

    for (const std::wstring &item : {folder, file}) {
        SCOPED_TRACE(testing::Message() << "item " << testing::PrintToString(item));
        WCHAR tmpName[MAX_PATH] = L"";
        Printed outcome = Capture([&] { return static_cast<DWORD>(RenameToTmpName(item.c_str(), tmpName)); });
        EXPECT_EQ(1u, outcome.result);
        EXPECT_EQ(L"Rename: " + item + L" into " + tmpName + L" success.\n", outcome.out);
        EXPECT_FALSE(Exists(item));
        EXPECT_EQ(Work(), std::wstring(tmpName).substr(0, Work().size()));
    }
    // Two temporary names, one the folder with its content, one the file:
    // the folder's placeholder went before the move, the file's was replaced.
    std::vector<std::wstring> tmpNames = TmpNames(Work());
    ASSERT_EQ(2u, tmpNames.size());
    int folders = 0;
    for (const std::wstring &name : tmpNames)
        if (Exists(Work(name) + L"\\cpl.dll"))
            ++folders;
    EXPECT_EQ(1, folders);
    EXPECT_TRUE(NewPendingRenames().empty());
}

TEST_F(DeleteFileTest, PathWithoutAFinalNameIsReportedAndNothingMoves)
{
    std::wstring folder = Work(L"Vexa Lune");
    MakeFolder(folder);
    MakeFile(folder + L"\\cpl.dll");
    std::wstring path = folder + L"\\";

    Printed deletion = Capture([&] { return static_cast<DWORD>(MyDeleteFile(path.c_str())); });
    EXPECT_EQ(0u, deletion.result);
    EXPECT_EQ(L"File: " + path + L" couldn't be deleted.\n", deletion.out);
    EXPECT_EQ(std::vector<std::wstring>{L"No file name in path: " + path}, ReportMessages(deletion.err));

    WCHAR tmpName[MAX_PATH] = L"";
    Printed rename = Capture([&] { return static_cast<DWORD>(RenameToTmpName(path.c_str(), tmpName)); });
    EXPECT_EQ(0u, rename.result);
    EXPECT_EQ(std::vector<std::wstring>{L"No file name in path: " + path}, ReportMessages(rename.err));

    EXPECT_EQ((std::vector<std::wstring>{L"Vexa Lune"}), Listing(Work()));
    EXPECT_EQ((std::vector<std::wstring>{L"cpl.dll"}), Listing(folder));
    EXPECT_TRUE(NewPendingRenames().empty());
}
