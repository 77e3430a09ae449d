// The registry plan's steps, counted and ordered through doubles of the
// operations it calls.
#include <algorithm>
#include <set>

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

std::set<std::wstring> GuidsAfter(const std::wstring &prefix)
{
    std::set<std::wstring> guids;
    for (const std::wstring &line : CallsStartingWith(prefix))
        guids.insert(line.substr(prefix.size()));
    return guids;
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

TEST(RegistryPlan, InstallerCodesComeFirstAndKeepTheirRelations)
{
    std::vector<std::wstring> lines = RunPlan(1, 0);
    std::vector<std::wstring> upgrades = CallsStartingWith(L"Upgrade ");
    std::vector<std::wstring> products = CallsStartingWith(L"Product ");
    ASSERT_EQ(24u, upgrades.size());
    EXPECT_EQ(upgrades[11], upgrades[19]);
    EXPECT_EQ(23u, std::set<std::wstring>(upgrades.begin(), upgrades.end()).size());
    for (const std::wstring &product : products)
        EXPECT_EQ(0u, GuidsAfter(L"Upgrade ").count(product.substr(8)));
    EXPECT_EQ(upgrades[0], lines[0]);
    EXPECT_EQ(products.back(), lines[83]);
}

TEST(RegistryPlan, ComAndConsoleRegistrationsNameTheSameClasses)
{
    RunPlan(1, 0);
    const std::wstring classPrefix = L"Del HKCR CLSID\\";
    std::vector<std::wstring> hkcrClasses = CallsStartingWith(classPrefix);
    ASSERT_EQ(29u, hkcrClasses.size());
    std::set<std::wstring> first19, further10;
    for (size_t i = 0; i < hkcrClasses.size(); ++i)
        (i < 19 ? first19 : further10).insert(hkcrClasses[i].substr(classPrefix.size()));
    std::set<std::wstring> machineClasses = GuidsAfter(L"Del HKLM SOFTWARE\\Classes\\CLSID\\");
    EXPECT_EQ(16u, machineClasses.size());
    EXPECT_TRUE(std::includes(first19.begin(), first19.end(), machineClasses.begin(), machineClasses.end()));

    std::set<std::wstring> snapIns = GuidsAfter(L"Del HKLM SOFTWARE\\Microsoft\\MMC\\SnapIns\\{");
    std::set<std::wstring> consoles;
    for (const std::wstring &guid : snapIns)
        consoles.insert(L"{" + guid);
    EXPECT_EQ(4u, consoles.size());
    EXPECT_TRUE(std::includes(first19.begin(), first19.end(), consoles.begin(), consoles.end()));
    std::set<std::wstring> efs = GuidsAfter(L"Del HKLM SOFTWARE\\Microsoft\\MMC\\Snapins\\");
    ASSERT_EQ(1u, efs.size());
    EXPECT_EQ(1u, further10.count(*efs.begin()));

    const std::wstring libraryPrefix = L"Del HKCR TypeLib\\";
    std::vector<std::wstring> typeLibraries = CallsStartingWith(libraryPrefix);
    ASSERT_EQ(17u, typeLibraries.size());
    std::set<std::wstring> first12;
    for (size_t i = 0; i < 12; ++i)
        first12.insert(typeLibraries[i].substr(libraryPrefix.size()));
    std::set<std::wstring> machineLibraries = GuidsAfter(L"Del HKLM SOFTWARE\\Classes\\TypeLib\\");
    EXPECT_EQ(7u, machineLibraries.size());
    EXPECT_TRUE(std::includes(first12.begin(), first12.end(), machineLibraries.begin(), machineLibraries.end()));
    EXPECT_EQ(101u, CallsStartingWith(L"Del HKCR Interface\\").size());
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
