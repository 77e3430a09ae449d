// The host program's machine folder where the recorded runs, which save and
// load one for every run, do not go: an empty folder and an unknown kind.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <winsim/control.h>

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
