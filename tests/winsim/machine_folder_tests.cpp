// The host program's machine folder.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "registry_helpers.h"

TEST(WinsimMachineFolder, SavedMachinesComeBackWithTheirKindAndRegistry)
{
    std::string folder = testing::TempDir();
    winsim::ResetMachine();
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    add_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune\\Keys", L"user", L"\x0418\x0432\x0430\x043D");
    std::wstring saved = winsim::ExportRegistry();
    ASSERT_TRUE(winsim::SaveMachineFolder(folder));

    winsim::ResetMachine();
    std::wstring reason;
    ASSERT_TRUE(winsim::LoadMachineFolder(folder, &reason));
    EXPECT_EQ(winsim::MachineKind::Windows32, winsim::GetMachineKind());
    EXPECT_TRUE(saved == winsim::ExportRegistry());
    verify_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune\\Keys", L"user", L"\x0418\x0432\x0430\x043D");
    std::remove((folder + "/machine.txt").c_str());
    std::remove((folder + "/registry.reg").c_str());
}

TEST(WinsimMachineFolder, AnEmptyFolderIsAFresh64BitMachineAndAnUnknownKindIsRefused)
{
    std::string folder = testing::TempDir() + "/winsim_empty_machine";
    std::wstring reason;
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    ASSERT_TRUE(winsim::LoadMachineFolder(folder, &reason));
    EXPECT_EQ(winsim::MachineKind::Windows64, winsim::GetMachineKind());

    std::string kind = testing::TempDir() + "/machine.txt";
    FILE *file = fopen(kind.c_str(), "w");
    fputs("Windows 3.1\n", file);
    fclose(file);
    EXPECT_FALSE(winsim::LoadMachineFolder(testing::TempDir(), &reason));
    std::remove(kind.c_str());
}
