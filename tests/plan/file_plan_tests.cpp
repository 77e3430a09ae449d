// The file plan through doubles of the file operations: its result, and a
// target that does not fit; the base folders come from the machine
// (simulated, or Wine's). Its targets in order, in each view, are the
// recorded runs' to hold.
#include <gtest/gtest.h>

#include "driver/process_state.h"
#include "output_capture.h"
#include "plan/plan.h"
#include "plan_doubles.h"
#include "test_machine.h"

namespace {

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
