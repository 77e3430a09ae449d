// The registry plan's steps, counted and ordered through doubles of the
// operations it calls.
#include <algorithm>

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

size_t IndexOf(const std::vector<std::wstring> &lines, const std::wstring &line)
{
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
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

TEST(RegistryPlan, InstallerCodesComeFirst)
{
    std::vector<std::wstring> lines = RunPlan(1, 0);
    std::vector<std::wstring> upgrades = CallsStartingWith(L"Upgrade ");
    std::vector<std::wstring> products = CallsStartingWith(L"Product ");
    ASSERT_FALSE(upgrades.empty() || products.empty());
    EXPECT_EQ(upgrades[0], lines[0]);
    EXPECT_EQ(products.back(), lines[upgrades.size() + products.size() - 1]);
}

TEST(RegistryPlan, TheRepairsSitBetweenTheSharedValueLists)
{
    std::vector<std::wstring> lines = RunPlan(1, 0);
    size_t svchost = IndexOf(lines, L"Vals HKLM SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Svchost vxcsp");
    size_t tls = IndexOf(lines, L"Repair Tls");
    size_t sharedDlls = IndexOf(lines, L"Vals HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs vxcng.dll");
    EXPECT_EQ(svchost + 1, tls);
    EXPECT_EQ(tls + 3, sharedDlls);
    EXPECT_LT(IndexOf(lines, L"Del HKLM SYSTEM\\CurrentControlSet\\Services\\vxinit"),
              IndexOf(lines, L"Del HKLM SOFTWARE\\Vexa Lune\\Cryptography\\CurrentVersion\\AppPath"));
    EXPECT_EQ(lines.size(), IndexOf(lines, L"Del HKLM SOFTWARE\\Vexa Lune"))
        << "the vendor key itself holds the users' private keys";
}

TEST(RegistryPlan, NoStepDependsOnTheModeOrWarn)
{
    std::vector<std::wstring> removing = RunPlan(1, 0);
    EXPECT_EQ(removing, RunPlan(0, 0));
    EXPECT_EQ(removing, RunPlan(0, 1));
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
