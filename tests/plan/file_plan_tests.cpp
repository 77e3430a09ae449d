// The file plan's targets, in order, through doubles of the file operations;
// the base folders come from the machine (simulated, or Wine's).
#include <gtest/gtest.h>

#include "driver/process_state.h"
#include "output_capture.h"
#include "plan/plan.h"
#include "plan_doubles.h"
#include "test_machine.h"

namespace {

std::wstring Expanded(const wchar_t *variable)
{
    wchar_t folder[MAX_PATH];
    ExpandEnvironmentStringsW(variable, folder, MAX_PATH);
    return folder;
}

std::wstring Known(int csidl)
{
    wchar_t folder[MAX_PATH];
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

class FilePlanTest : public testing::Test {
  protected:
    void SetUp() override
    {
        StartFreshMachine();
        RegViewFlag = 0;
        Calls() = PlanCalls();
    }
    void TearDown() override
    {
        RegViewFlag = 0;
    }
    DWORD RunPlan(DWORD mode, std::wstring *out = nullptr, std::wstring *err = nullptr)
    {
        Calls() = PlanCalls();
        OutputCapture capture;
        DWORD result = CleanFiles(mode, 0);
        if (out)
            *out = capture.Out();
        if (err)
            *err = capture.Err();
        return result;
    }
};

}  // namespace

TEST_F(FilePlanTest, ReportModeVisitsEveryTargetInOrder)
{
    std::wstring out;
    RunPlan(0, &out);
    std::wstring system = Known(CSIDL_SYSTEM) + L"\\";
    std::wstring programs = Known(CSIDL_COMMON_STARTMENU) + L"\\Programs\\";
    std::vector<std::wstring> expected = {
        L"Tree " + Expanded(L"%ProgramFiles%") + L"\\Vexa Lune mode 0",
        L"Tree " + Expanded(L"%CommonProgramFiles%") + L"\\Vexa Lune mode 0",
        L"File " + system + L"vxcng.dll",
        L"Mask " + system + L"vxdrvlib*.sys",
        L"File " + system + L"vxssl.dll",
        L"File " + system + L"vxtls.dll",
        L"File " + system + L"vxSSPAP.dll",
        L"File " + system + L"vxocsp.dll",
        L"File " + system + L"vxssp.dll",
        L"File " + system + L"advapi32.$$$",
        L"Mask " + system + L"VxlnDspr*.dll",
        L"File " + system + L"VxlnDs64.dll",
        L"Mask " + system + L"drivers\\vxdrvlib*.sys",
        L"Mask " + system + L"drivers\\vxksp*.sys",
        L"Mask " + system + L"drivers\\VxlnCtrl*.sys",
        L"File " + system + L"drivers\\VxlnCt2k.sys",
        L"File " + system + L"drivers\\vxefs.sys",
        L"File " + system + L"drivers\\vxdrv30.sys",
        L"File " + system + L"drivers\\vxdrv36.sys",
        L"Tree " + programs + L"Vexa Lune mode 0",
        L"Tree " + programs + L"Vexa-Lune mode 0",
        L"Tree " + programs + L"VexaLune mode 0",
        L"Tree " + programs + L"\x0412\x0435\x043A\x0441\x0430-\x041B\x044E\x043D mode 0",
        L"Tree " + programs + L"\x0412\x0415\x041A\x0421\x0410-\x041B\x042E\x041D mode 0",
        L"Packages mode 0",
    };
    EXPECT_EQ(expected, Calls().lines);
    EXPECT_EQ(L"Path to Start Menu " + Known(CSIDL_COMMON_STARTMENU) + L"\n" + L"Removing " + programs +
                  L"Vexa Lune\nRemoving " + programs + L"Vexa-Lune\nRemoving " + programs + L"VexaLune\nRemoving " +
                  programs + L"\x0412\x0435\x043A\x0441\x0430-\x041B\x044E\x043D\nRemoving " + programs +
                  L"\x0412\x0415\x041A\x0421\x0410-\x041B\x042E\x041D\n",
              out);
}

TEST_F(FilePlanTest, RemoveModeLeavesTheCommonFilesFolderAlone)
{
    RunPlan(1);
    EXPECT_EQ(24u, Calls().lines.size());
    EXPECT_EQ(L"Tree " + Expanded(L"%ProgramFiles%") + L"\\Vexa Lune mode 1", Calls().lines[0]);
    EXPECT_EQ(0u, CallsStartingWith(L"Tree " + Expanded(L"%CommonProgramFiles%")).size());
}

TEST_F(FilePlanTest, TheResultIsTheOrOfTheTargets)
{
    Calls() = PlanCalls();
    Calls().results[L"Packages mode 1"] = 0x10;
    Calls().results[L"File " + Known(CSIDL_SYSTEM) + L"\\vxssl.dll"] = 0x2;
    OutputCapture quiet;
    EXPECT_EQ(0x12u, CleanFiles(1, 0));
}

TEST_F(FilePlanTest, AProgramFolderTooLongToHoldItsTargetIsReportedAndSkipped)
{
    wchar_t saved[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ProgramFiles", saved, MAX_PATH);
    std::wstring deep = L"C:\\" + std::wstring(250, L'p');
    SetEnvironmentVariableW(L"ProgramFiles", deep.c_str());
    std::wstring err;
    DWORD result = RunPlan(1, nullptr, &err);
    SetEnvironmentVariableW(L"ProgramFiles", saved);
    EXPECT_NE(0u, result);
    EXPECT_NE(std::wstring::npos, err.find(L"Path too long, skipped: " + deep + L"\\Vexa Lune\n"));
    EXPECT_EQ(0u, CallsStartingWith(L"Tree C:\\ppp").size());
    EXPECT_EQ(23u, Calls().lines.size()) << "the other targets are still handled";
}
