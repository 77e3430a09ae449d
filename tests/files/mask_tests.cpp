// Files named by a mask: every match goes through DeleteFileIfExists; no
// match is no error; a folder part that would be cut is never used.
#include "files/files.h"
#include "files_fixture.h"

namespace {

class MaskTest : public FilesTest {
  protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        MakeFile(Work(L"vxdrvlib.sys"));
        MakeFile(Work(L"vxdrvlib64.sys"));
        MakeFile(Work(L"vxdrvlibA.sys"));
        MakeFile(Work(L"vxdrvlib.dll"));
        MakeFile(Work(L"other.sys"));
    }
    std::wstring Mask() const
    {
        return Work(L"vxdrvlib*.sys");
    }
    // The lines of the mask, its folder and each match in listing order.
    std::wstring ExpectedLines() const
    {
        std::wstring lines = L"Mask is " + Mask() + L"\nDir is " + Work() + L"\\\n";
        for (const std::wstring &name : Listing(Work()))
            if (name != L"vxdrvlib.dll" && name != L"other.sys")
                lines += L"File is " + Work(name) + L"\n";
        return lines;
    }
};

}  // namespace

TEST_F(MaskTest, ThreeMatchesAreRemovedAndTheRestStays)
{
    std::wstring expected = ExpectedLines();
    Printed outcome = Capture([&] { return DeleteByMask(Mask().c_str(), 1, 0); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_EQ(expected, outcome.out);
    EXPECT_EQ(L"", outcome.err);
    EXPECT_EQ((std::vector<std::wstring>{L"other.sys", L"vxdrvlib.dll"}), Listing(Work()));
}

TEST_F(MaskTest, NoMatchAndAMissingFolderPrintOnlyTheHeaders)
{
    std::wstring none = Work(L"VxlnCtrl*.sys");
    Printed noMatch = Capture([&] { return DeleteByMask(none.c_str(), 1, 1); });
    EXPECT_EQ(0u, noMatch.result);
    EXPECT_EQ(L"Mask is " + none + L"\nDir is " + Work() + L"\\\n", noMatch.out);
    EXPECT_EQ(L"", noMatch.err);

    std::wstring missing = Work(L"missing\\vx*.sys");
    Printed noFolder = Capture([&] { return DeleteByMask(missing.c_str(), 1, 1); });
    EXPECT_EQ(0u, noFolder.result);
    EXPECT_EQ(L"Mask is " + missing + L"\nDir is " + Work(L"missing\\") + L"\n", noFolder.out);
    EXPECT_EQ(L"", noFolder.err);
}

TEST_F(MaskTest, FolderPartThatWouldBeCutIsReportedAndNothingIsTouched)
{
    // The splitter would cut this folder part before its last backslash, and
    // the prefix would then name files beside the folder.
    std::wstring longName(256 - Work().size(), L'L');
    std::wstring shortFolder = Work(L"s");
    MakeFolder(shortFolder);
    MakeFile(shortFolder + L"\\vx1.sys");
    std::wstring folder = Work(longName);
    ASSERT_TRUE(MoveFileExW(shortFolder.c_str(), folder.c_str(), 0));
    std::wstring mask = folder + L"\\vx*.sys";

    Printed outcome = Capture([&] { return DeleteByMask(mask.c_str(), 1, 0); });
    EXPECT_NE(0u, outcome.result);
    EXPECT_EQ(L"Mask is " + mask + L"\n", outcome.out);
    EXPECT_EQ(std::vector<std::wstring>{L"Path too long, skipped: " + mask}, ReportMessages(outcome.err));
    EXPECT_EQ(std::vector<std::wstring>{L"vx1.sys"}, Listing(folder));
}
