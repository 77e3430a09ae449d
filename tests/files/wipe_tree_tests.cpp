// Folder trees: wiped depth first in the order of the listing, folders that
// still hold files in use moved aside and scheduled after their contents,
// temporary names of earlier runs passed over, over-long paths never cut.
#include "files/files.h"
#include "files_fixture.h"

namespace {

class WipeTreeTest : public FilesTest {};

}  // namespace

TEST_F(WipeTreeTest, DeleteTreeIfExistsIsSilentWithoutATreeAndTakesAFileToo)
{
    std::wstring d = Work(L"D");
    Printed absent = Capture([&] { return DeleteTreeIfExists(d.c_str(), 1, 1); });
    EXPECT_EQ(0u, absent.result);
    EXPECT_EQ(L"", absent.out + absent.err);

    std::wstring file = Work(L"vxcsp.dll");
    MakeFile(file);
    Printed oneFile = Capture([&] { return DeleteTreeIfExists(file.c_str(), 1, 0); });
    EXPECT_EQ(0u, oneFile.result);
    EXPECT_EQ(L"Deleted file: " + file + L"\n", oneFile.out);
    EXPECT_FALSE(Exists(file));
}

TEST_F(WipeTreeTest, FileInUseAndEveryFolderAboveItAreScheduledAfterTheirContents)
{
    MakeFolder(Work(L"D"));
    MakeFile(Work(L"D\\a.txt"));
    MakeFolder(Work(L"D\\S"));
    MakeInUse(Work(L"D\\S\\b.dll"));

    Printed outcome = Capture([&] { return DeleteTreeIfExists(Work(L"D").c_str(), 1, 0); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_EQ(L"", outcome.err);
    EXPECT_FALSE(Exists(Work(L"D")));

    // What is left: D under a temporary name, holding S under one, holding b.dll under one.
    std::vector<std::wstring> top = TmpNames(Work());
    ASSERT_EQ(1u, top.size());
    std::wstring d = Work(top[0]);
    std::vector<std::wstring> middle = TmpNames(d);
    ASSERT_EQ(1u, middle.size());
    EXPECT_EQ(middle, Listing(d));
    std::wstring s = d + L"\\" + middle[0];
    std::vector<std::wstring> bottom = TmpNames(s);
    ASSERT_EQ(1u, bottom.size());
    EXPECT_EQ(bottom, Listing(s));

    // The last records name them as they are now, each after its contents.
    std::vector<PendingRecord> records = NewPendingRenames();
    ASSERT_GE(records.size(), 3u);
    std::vector<std::wstring> last;
    for (size_t i = records.size() - 3; i < records.size(); ++i) {
        last.push_back(records[i].from);
        EXPECT_EQ(L"", records[i].to);
    }
    EXPECT_EQ((std::vector<std::wstring>{Recorded(s + L"\\" + bottom[0]), Recorded(s), Recorded(d)}), last);
}

TEST_F(WipeTreeTest, TmpNamesAreSkippedOnlyWhenBothPartsAreInLowerCase)
{
    std::wstring d = Work(L"D");
    MakeFolder(d);
    MakeFile(d + L"\\csp1A.tmp");
    MakeFile(d + L"\\oldcsp.tmpx");
    MakeFile(d + L"\\CSP2B.TMP");
    MakeFile(d + L"\\csp.TMP");

    Printed outcome = Capture([&] { return RecurseWipeTree(d.c_str()); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Skip: csp1A.tmp\n"));
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Skip: oldcsp.tmpx\n"));
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Deleted file: " + d + L"\\CSP2B.TMP\n"));
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Deleted file: " + d + L"\\csp.TMP\n"));
    // The leftovers keep the folder: it is moved aside and scheduled.
    std::vector<std::wstring> top = TmpNames(Work());
    ASSERT_EQ(1u, top.size());
    std::vector<std::wstring> left = Listing(Work(top[0]));
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::wstring>{L"csp1A.tmp", L"oldcsp.tmpx"}), left);
    std::vector<PendingRecord> records = NewPendingRenames();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(Recorded(Work(top[0])), records.back().from);
}

TEST_F(WipeTreeTest, EntryWhosePathWouldNotFitIsReportedAndLeftWhole)
{
    // A long folder name leaves no room for the entries inside it; they were
    // made under a short name, as Windows lets a folder be renamed so.
    std::wstring longName(255 - Work().size(), L'L');
    std::wstring shortFolder = Work(L"s");
    MakeFolder(shortFolder);
    MakeFile(shortFolder + L"\\abcdefghij.dll");
    MakeFile(shortFolder + L"\\a");
    std::wstring folder = Work(longName);
    ASSERT_TRUE(MoveFileExW(shortFolder.c_str(), folder.c_str(), 0));

    Printed outcome = Capture([&] { return RecurseWipeTree(folder.c_str()); });
    EXPECT_NE(0u, outcome.result);
    EXPECT_EQ(std::vector<std::wstring>{L"Path too long, skipped: " + folder + L"\\abcdefghij.dll"},
              ReportMessages(outcome.err));
    EXPECT_EQ(std::wstring::npos, outcome.out.find(L"abcdefghij.dll"));
    // The folder keeps the file it could not name, and is moved aside and scheduled.
    std::vector<std::wstring> top = TmpNames(Work());
    ASSERT_EQ(1u, top.size());
    EXPECT_EQ(std::vector<std::wstring>{L"abcdefghij.dll"}, Listing(Work(top[0])));
}
