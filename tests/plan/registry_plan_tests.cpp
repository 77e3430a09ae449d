// The registry plan's steps, counted through doubles of the operations it
// calls; their order and texts are the recorded runs' to hold.
#include <gtest/gtest.h>

#include "output_capture.h"
#include "plan/plan.h"
#include "plan_doubles.h"

namespace {

std::vector<std::wstring> RunPlan(DWORD mode, DWORD warn)
{
    Calls() = PlanCalls();
    OutputCapture quiet;
    CleanRegistry(mode, warn);
    return Calls().lines;
}

}  // namespace

TEST(RegistryPlan, EveryStepRunsOnceWithTheCountsOfThePlan)
{
    std::vector<std::wstring> lines = RunPlan(1, 0);
    EXPECT_EQ(325u, CallsStartingWith(L"Del ").size());
    EXPECT_EQ(50u, CallsStartingWith(L"Wipe ").size());
    EXPECT_EQ(16u, CallsStartingWith(L"Vals ").size());
    EXPECT_EQ(24u, CallsStartingWith(L"Upgrade ").size());
    EXPECT_EQ(60u, CallsStartingWith(L"Product ").size());
    EXPECT_EQ((std::vector<std::wstring>{L"Repair Tls", L"Repair Ssl", L"Repair CertDll"}),
              CallsStartingWith(L"Repair "));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(L"Flush SOFTWARE", lines[lines.size() - 2]);
    EXPECT_EQ(L"Flush SYSTEM", lines.back());
    EXPECT_EQ(480u, lines.size());
}

TEST(RegistryPlan, TheResultIsTheOrOfEveryStepButTheFlushes)
{
    Calls() = PlanCalls();
    Calls().results[L"Del HKLM SYSTEM\\CurrentControlSet\\Services\\vxcsp"] = 0x1;
    Calls().results[L"Wipe SOFTWARE\\Microsoft\\MMC\\SnapIns key - data Vexa-Lune"] = 0x20;
    Calls().results[L"Repair Ssl"] = 0x400;
    Calls().results[L"Flush SYSTEM"] = 0x8000;
    OutputCapture quiet;
    EXPECT_EQ(0x421u, CleanRegistry(1, 1));
}
