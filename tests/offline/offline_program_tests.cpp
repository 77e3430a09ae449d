// vxclean-offline run on a small Windows volume, its hives checked with hivex.
#include <filesystem>
#include <fstream>

#include "windows_volume.h"

namespace {

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// The backups that saving a hive leaves beside it.
int BackupsOf(const std::string &hive)
{
    std::filesystem::path path(hive);
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator(path.parent_path()))
        count += entry.path().filename().string().rfind(path.filename().string() + ".vxclean-", 0) == 0;
    return count;
}

TEST_F(VolumeTest, InputThatCannotBeUsedIsRefusedAndNothingIsWritten)
{
    std::map<std::string, std::string> files = VolumeFiles();

    Run notRoot = RunProgram("--yes '" + volume + "/Users'");
    EXPECT_EQ(2, notRoot.status);
    EXPECT_TRUE(Contains(notRoot.output, "not a Windows root")) << notRoot.output;

    Run noTerminal = RunProgram("'" + volume + "'");
    EXPECT_EQ(2, noTerminal.status);
    EXPECT_TRUE(Contains(noTerminal.output, "no terminal to ask on")) << noTerminal.output;
    Run refused = RunOnTerminal("'" + volume + "'", "n");
    EXPECT_EQ(1, refused.status);
    EXPECT_TRUE(Contains(refused.output,
                         "Remove the VexaLune products from Windows 7 Professional 7601 on " + volume + "? [y/N]"))
        << refused.output;
    EXPECT_EQ(files, VolumeFiles());

    std::ofstream(software, std::ios::binary | std::ios::in) << "not a hive";
    files = VolumeFiles();
    Run corrupt = RunProgram("--yes '" + volume + "'");
    EXPECT_EQ(2, corrupt.status);
    EXPECT_TRUE(Contains(corrupt.output, "SOFTWARE")) << corrupt.output;
    EXPECT_EQ(files, VolumeFiles());
}

TEST_F(VolumeTest, AReportFindsTheProductsAndWritesNothing)
{
    std::map<std::string, std::string> files = VolumeFiles();
    Run report = RunProgram("--show '" + volume + "'");
    EXPECT_TRUE(Contains(report.output, "vxcsp")) << report.output;
    EXPECT_TRUE(Contains(report.output, "C:\\Program Files\\Vexa Lune")) << report.output;
    EXPECT_FALSE(Contains(report.output, "Written")) << report.output;
    EXPECT_TRUE(Contains(report.output, "Replayed 14 log entries (158 pages) from " + classes + ".LOG1 and " + classes +
                                            ".LOG2 into a copy of " + classes + "\n"))
        << report.output;
    EXPECT_EQ(files, VolumeFiles());
}

TEST_F(VolumeTest, ARemovalTakesOnlyTheProductsAndASecondRunFindsNothing)
{
    std::vector<std::string> classesBytes = {FileBytes(classes), FileBytes(classes + ".LOG1"),
                                             FileBytes(classes + ".LOG2")};
    Run removal = RunProgram("--yes --delkeys '" + volume + "'");
    EXPECT_EQ(0, removal.status) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "Written: " + user)) << removal.output;
    EXPECT_FALSE(std::filesystem::exists(productFile));
    EXPECT_EQ(systemBefore, HivexEntries(system, "HKEY_LOCAL_MACHINE\\SYSTEM"));
    std::multiset<std::string> software = HivexEntries(this->software, "HKEY_LOCAL_MACHINE\\SOFTWARE");
    EXPECT_EQ(softwareBefore, software);
    EXPECT_EQ(userBefore, HivexEntries(user, "HKEY_CURRENT_USER"));
    for (const std::string &hive : {system, this->software, user})
        EXPECT_EQ(1, BackupsOf(hive)) << hive;
    EXPECT_EQ(0, BackupsOf(classes));
    // Nothing of the dirty classes hive changed: it stays for Windows to replay.
    EXPECT_EQ(classesBytes, (std::vector<std::string>{FileBytes(classes), FileBytes(classes + ".LOG1"),
                                                      FileBytes(classes + ".LOG2")}));

    std::map<std::string, std::string> files = VolumeFiles();
    Run again = RunProgram("--yes '" + volume + "'");
    EXPECT_EQ(0, again.status) << again.output;
    EXPECT_FALSE(Contains(again.output, "Written")) << again.output;
    // Only the second run's record is new.
    for (const auto &file : VolumeFiles()) {
        if (file.first.find("/Windows/Temp/") == std::string::npos) {
            EXPECT_EQ(files[file.first], file.second) << file.first;
        }
    }
}

}  // namespace
