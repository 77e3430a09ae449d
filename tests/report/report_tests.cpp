// Error reports, compared by code and by our own lines: the system's texts
// differ between Windows and Wine.
#include <string>

#include <gtest/gtest.h>

#include "output_capture.h"
#include "report/report.h"
#include "test_machine.h"

namespace {

struct Report {
    DWORD result;
    DWORD lastError;
    std::wstring out;
    std::wstring err;
};

Report ReportCode(DWORD code, const wchar_t *path)
{
    OutputCapture capture;
    DWORD result = ReportError(SOURCE_INSTALL, 42, code, REPORT_ALL, "Can not RegDeleteKey: %S", path);
    DWORD lastError = GetLastError();
    return Report{result, lastError, capture.Out(), capture.Err()};
}

// The lines up to the system's text.
std::wstring OwnLines(const std::wstring &err, size_t count)
{
    size_t end = 0;
    for (size_t i = 0; i < count && end != std::wstring::npos; ++i)
        end = err.find(L'\n', end == 0 ? 0 : end + 1);
    return end == std::wstring::npos ? err : err.substr(0, end + 1);
}

class ReportTest : public testing::Test {
  protected:
    void SetUp() override
    {
        StartFreshMachine();
    }
};

}  // namespace

TEST_F(ReportTest, AReportShowsLocationMessageNumberAndText)
{
    Report report = ReportCode(ERROR_ACCESS_DENIED, L"SOFTWARE\\Vexa Lune");
    EXPECT_EQ(5u, report.result);
    EXPECT_EQ(5u, report.lastError);
    EXPECT_EQ(L"", report.out);
    EXPECT_EQ(L"An error occurred in running the program.\n"
              L"install:42:Can not RegDeleteKey: SOFTWARE\\Vexa Lune\n"
              L"Error number 0x5 (5).\n",
              OwnLines(report.err, 3));
    // The system's text follows, with a line break of its own and one more.
    EXPECT_GT(report.err.size(), OwnLines(report.err, 3).size() + 2);
    EXPECT_EQ(L"\n\n", report.err.substr(report.err.size() - 2));

    // A code that looks negative prints as Windows' LONG would.
    report = ReportCode(0x80070005u, L"k");
    EXPECT_EQ(0x80070005u, report.result);
    EXPECT_NE(std::wstring::npos, report.err.find(L"Error number 0x80070005 (-2147024891).\n"));
}

TEST_F(ReportTest, ReportLastErrorReportsTheCodeSetBeforeIt)
{
    OutputCapture capture;
    SetLastError(ERROR_SHARING_VIOLATION);
    EXPECT_EQ(32u, ReportLastError(SOURCE_INSTALL, 1, REPORT_ALL, "Can not delete %S (%d)", L"C:\\x.dll", 3));
    EXPECT_NE(std::wstring::npos,
              capture.Err().find(L"install:1:Can not delete C:\\x.dll (3)\nError number 0x20 (32).\n"));
}

// Code 5 has a system text, so each flag is seen by what it adds.
TEST_F(ReportTest, FlagsChooseThePartsOfTheReport)
{
    OutputCapture capture;
    ReportError(SOURCE_INSTALL, 9, ERROR_ACCESS_DENIED, REPORT_NUMBER, "only number");
    ReportError(SOURCE_INSTALL, 9, ERROR_ACCESS_DENIED, 1, "bare");
    EXPECT_EQ(L"only number\nError number 0x5 (5).\nbare\n", capture.Err());

    OutputCapture text;
    ReportError(SOURCE_INSTALL, 9, ERROR_ACCESS_DENIED, REPORT_TEXT, "only text");
    const std::wstring err = text.Err();
    EXPECT_EQ(0u, err.find(L"only text\n"));
    EXPECT_GT(err.size(), std::wstring(L"only text\n\n").size()) << "the system's text is missing";
    EXPECT_EQ(std::wstring::npos, err.find(L"Error number"));
    EXPECT_EQ(std::wstring::npos, err.find(L"install:9:"));
}
