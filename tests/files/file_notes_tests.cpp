// The undo file's notes of files: an item left for a restart is named with
// the temporary name it waits under, inside the folders that the wipe moved
// aside, and the placeholders of those moves are neither listed nor counted.
#include <algorithm>
#include <cwctype>

#include "files/files.h"
#include "files_fixture.h"

namespace {

class FileNotesTest : public FilesTest {};

// Wine's names on the volume take the case of the host's folders.
std::vector<std::wstring> Lower(std::vector<std::wstring> lines)
{
    for (std::wstring &line : lines)
        for (wchar_t &c : line)
            c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The one temporary name in the folder.
std::wstring OnlyTmpName(const std::wstring &folder)
{
    std::vector<std::wstring> names = TmpNames(folder);
    return names.size() == 1 ? folder + L"\\" + names[0] : L"";
}

}  // namespace

TEST_F(FileNotesTest, ItemsLeftForARestartAreNotedWhereTheyWaitAndPlaceholdersNotAtAll)
{
    std::wstring c = Work(L"c.dll");
    std::wstring d = Work(L"D");
    MakeInUse(c);
    MakeFolder(d);
    MakeFile(d + L"\\a.txt");
    MakeFolder(d + L"\\S");
    MakeInUse(d + L"\\S\\b.dll");

    RecordedCall run = UnderRecord([&] { return MyDeleteFile(c.c_str()) ? RecurseWipeTree(d.c_str()) : 1; });
    ASSERT_EQ(0u, run.printed.result) << run.printed.err;
    // c.dll waits under a temporary name beside D's, which holds S's, which holds b.dll's.
    std::wstring cTmp;
    std::wstring dTmp;
    for (const std::wstring &name : TmpNames(Work()))
        (GetFileAttributesW(Work(name).c_str()) & FILE_ATTRIBUTE_DIRECTORY ? dTmp : cTmp) = Work(name);
    std::wstring sTmp = OnlyTmpName(dTmp);
    std::wstring bTmp = OnlyTmpName(sTmp);
    ASSERT_FALSE(cTmp.empty() || bTmp.empty()) << "c.dll's or b.dll's temporary name is missing";
    EXPECT_EQ(Lower({L"; File to be deleted at restart: " + c + L", now " + cTmp, L"; Deleted file: " + d + L"\\a.txt",
                     L"; File to be deleted at restart: " + d + L"\\S\\b.dll, now " + bTmp,
                     L"; Folder to be deleted at restart: " + d + L"\\S, now " + sTmp,
                     L"; Folder to be deleted at restart: " + d + L", now " + dTmp}),
              Lower(run.notes));
    EXPECT_NE(std::wstring::npos, run.printed.out.find(SummaryLine(L"Files deleted:", 1)));
    EXPECT_NE(std::wstring::npos,
              run.printed.out.find(SummaryLine(L"Waiting for a restart:", 4, L" files and folders")));
}
