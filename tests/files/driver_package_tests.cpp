// Staged driver packages in the Windows folder's inf folder: an oem*.inf that
// names the vendor in UTF-16 goes with its .pnf; nothing else is touched.
#include <cwchar>

#include "files/files.h"
#include "files_fixture.h"

namespace {

const std::wstring VENDOR_INF = L"[Version]\r\nProvider=VexaLune\r\n";

class DriverPackageTest : public FilesTest {
  protected:
    std::wstring Inf(const std::wstring &name)
    {
        WCHAR windows[MAX_PATH];
        EXPECT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, windows));
        std::wstring path = std::wstring(windows) + L"\\inf\\" + name;
        madeElsewhere_.push_back(path);
        return path;
    }
    // An oem*.inf with the content given and, unless told, its .pnf.
    void MakePackageAt(const char *file, int line, const std::wstring &name, const std::string &content,
                       bool withPnf = true)
    {
        MakeFileAt(file, line, Inf(name + L".inf"), content);
        if (withPnf)
            MakeFileAt(file, line, Inf(name + L".pnf"), "pnf");
    }
};
#define MakePackage(...) MakePackageAt(__FILE__, __LINE__, __VA_ARGS__)

}  // namespace

TEST_F(DriverPackageTest, AReadOnlyUnicodeInfNamingTheVendorGoesWithItsPnf)
{
    MakePackage(L"oem9001", Utf16(VENDOR_INF));
    std::wstring inf = Inf(L"oem9001.inf");
    std::wstring pnf = Inf(L"oem9001.pnf");

    // Show mode on a package is the recorded runs' to hold.
    ASSERT_TRUE(SetFileAttributesW(inf.c_str(), FILE_ATTRIBUTE_READONLY));
    Printed clear = Capture([] { return CleanDriverPackages(1); });
    EXPECT_EQ(0u, clear.result);
    EXPECT_EQ(L"Delete file: " + inf + L"\nDelete file: " + pnf + L"\n", clear.out);
    EXPECT_EQ(L"", clear.err);
    EXPECT_FALSE(Exists(inf) || Exists(pnf));
}

TEST_F(DriverPackageTest, OtherTextsAndEmptyFilesAreNotMatched)
{
    MakePackage(L"oem9001", "[Version]\r\nProvider=VexaLune\r\n");
    MakePackage(L"oem9002", Utf16(L"Provider=VEXALUNE\r\n"));
    // The last unit is the text's terminator: here it completes the word.
    MakePackage(L"oem9003", Utf16(L"Provider=VexaLune"));
    MakePackage(L"oem9004", "");
    // An empty file is not even opened: a lock against reading changes nothing.
    Lock(Inf(L"oem9004.inf"));

    for (DWORD mode : {0u, 1u}) {
        Printed outcome = Capture([&] { return CleanDriverPackages(mode); });
        EXPECT_EQ(0u, outcome.result);
        EXPECT_EQ(L"", outcome.out + outcome.err);
    }
    for (const wchar_t *name : {L"oem9001", L"oem9002", L"oem9003", L"oem9004"})
        EXPECT_TRUE(Exists(Inf(std::wstring(name) + L".inf")) && Exists(Inf(std::wstring(name) + L".pnf"))) << name;
}

TEST_F(DriverPackageTest, MissingPnfIsAnnouncedAndTheScanGoesOn)
{
    MakePackage(L"oem9001", Utf16(VENDOR_INF), false);
    MakePackage(L"oem9002", Utf16(VENDOR_INF));
    Printed outcome = Capture([] { return CleanDriverPackages(1); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Delete file: " + Inf(L"oem9001.inf") + L"\nFile not exist: " +
                                                   Inf(L"oem9001.pnf") + L"\n"));
    EXPECT_NE(std::wstring::npos, outcome.out.find(L"Delete file: " + Inf(L"oem9002.pnf") + L"\n"));
    EXPECT_FALSE(Exists(Inf(L"oem9001.inf")) || Exists(Inf(L"oem9002.inf")) || Exists(Inf(L"oem9002.pnf")));
}

TEST_F(DriverPackageTest, InfLockedAgainstReadingEndsTheScan)
{
    MakePackage(L"oem9001", Utf16(VENDOR_INF));
    MakePackage(L"oem9002", Utf16(VENDOR_INF));
    Lock(Inf(L"oem9001.inf"));
    Printed outcome = Capture([] { return CleanDriverPackages(1); });
    EXPECT_EQ(ERROR_SHARING_VIOLATION, static_cast<LONG>(outcome.result));
    EXPECT_EQ(std::vector<std::wstring>{L"CreateFile()"}, ReportMessages(outcome.err));
    // The package listed after the locked one was not looked at.
    EXPECT_TRUE(Exists(Inf(L"oem9001.inf")) && Exists(Inf(L"oem9002.inf")) && Exists(Inf(L"oem9002.pnf")));
}

TEST_F(DriverPackageTest, WithoutAnyOemInfThereIsNothingToDoInEitherMode)
{
    for (DWORD mode : {0u, 1u}) {
        Printed outcome = Capture([&] { return CleanDriverPackages(mode); });
        EXPECT_EQ(0u, outcome.result) << "mode " << mode;
        EXPECT_EQ(L"", outcome.out + outcome.err) << "mode " << mode;
    }
}

TEST_F(DriverPackageTest, InfOf4GiBOrMoreIsNeitherReadNorDeleted)
{
    MakePackage(L"oem9001", Utf16(VENDOR_INF));
    std::wstring inf = Inf(L"oem9001.inf");
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(inf.c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    FindClose(search);
    data.nFileSizeHigh = 1;
    WCHAR path[MAX_PATH];
    wcscpy(path, inf.c_str());
    Printed outcome = Capture([&] { return CleanInfFile(1, path, data); });
    EXPECT_EQ(0u, outcome.result);
    EXPECT_EQ(L"Too large to be a driver package, skipped: " + inf + L"\n", outcome.out);
    EXPECT_TRUE(Exists(inf) && Exists(Inf(L"oem9001.pnf")));
}
