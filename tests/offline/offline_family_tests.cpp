// vxclean-offline on a crashed Windows volume where the product family is
// installed: the installed machine of the whole-run tests planted into real
// hives (and files), on a 32-bit Windows 7 and a 64-bit Windows 10, each with
// two user profiles, and every hive then left dirty, its newest changes in a
// transaction log of the Windows version's format. The hives are checked with
// hivex, key for key, and their files byte for byte.
#include <algorithm>
#include <filesystem>
#include <iterator>

#include <winsim/control.h>

#include "driver/process_state.h"
#include "hive_base_block.h"
#include "installed_family.h"
#include "log_writer.h"
#include "offline_program.h"
#include "plan/plan_data.h"
#include "registry_helpers.h"
#include "windows_volume.h"

namespace {

const std::wstring OTHER_CLASS = L"CLSID\\{0F0E0D0C-0B0A-0908-0706-050403020100}";

std::string Difference(const std::multiset<std::string> &expected, const std::multiset<std::string> &actual)
{
    std::string text;
    for (const std::string &line : expected)
        if (!actual.count(line))
            text += "\n  lost: " + line;
    for (const std::string &line : actual)
        if (!expected.count(line))
            text += "\n  left: " + line;
    return text;
}

size_t Occurrences(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class OfflineFamilyTest : public VolumeTest, public testing::WithParamInterface<bool> {
  protected:
    void SetUp() override
    {
        HiveTest::SetUp();
        LayOutWindows(GetParam(), 2);
    }

    // The volume as vxclean-offline sees it, changed by the planting, and
    // its hives written back.
    void Plant(void (*plant)(const std::vector<std::wstring> &sids))
    {
        std::string systemHive, softwareHive;
        std::wstring reason;
        std::vector<winsim::MountedHive> mounts;
        std::vector<offline::Profile> profiles;
        ASSERT_TRUE(offline::StartMachine(volume, &systemHive, &softwareHive, &reason)) << Narrow(reason);
        ASSERT_TRUE(offline::MountRegistry(systemHive, softwareHive, &mounts, &profiles, &reason)) << Narrow(reason);
        ASSERT_EQ(2u, profiles.size());
        std::vector<std::wstring> sids;
        for (const offline::Profile &profile : profiles)
            sids.push_back(profile.sid);
        winsim::SetUserSid(sids[0]);
        EnableTakeOwnership();
        plant(sids);
        winsim::SetUserSid(sids[0]);
        offline::WriteHivesDuringRun(&mounts);
        ASSERT_EQ(0u, WriteRegistry());
        WriteRegistry = nullptr;
    }

    std::vector<std::string> Hives() const
    {
        return {system, software, users[0], users[1], classes[0], classes[1]};
    }
    std::vector<std::multiset<std::string>> Exports() const
    {
        std::vector<std::multiset<std::string>> exports;
        for (const std::string &hive : Hives())
            exports.push_back(HivexEntries(hive, "HKEY_LOCAL_MACHINE\\HIVE"));
        return exports;
    }
    // The volume's files but for the hives, their backups and the records
    // in Windows\Temp, which the checks look at on their own.
    std::map<std::string, std::string> OtherFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto &file : VolumeFiles())
            if (file.first.find("/config/") == std::string::npos && file.first.find("/Users/") == std::string::npos &&
                file.first.find("/Windows/Temp/") == std::string::npos)
                files.insert(file);
        return files;
    }
    // The files of each hive and of its logs, and of their backups.
    std::vector<std::map<std::string, std::string>> HiveFiles() const
    {
        std::vector<std::map<std::string, std::string>> files;
        for (const std::string &hive : Hives()) {
            files.emplace_back();
            for (const std::string &file : FilesBeside(hive, ""))
                files.back()[file.substr(hive.size())] = FileBytes(file);
        }
        return files;
    }

    static std::string Narrow(const std::wstring &text)
    {
        return std::string(text.begin(), text.end());
    }
};

// Each profile has a class of another vendor in its own classes hive, and
// the vendor's key, which the removal keeps.
void PlantBystanders(const std::vector<std::wstring> &sids)
{
    InstallBystanders();
    for (const std::wstring &sid : sids) {
        winsim::SetUserSid(sid);
        add_sz(HKEY_CURRENT_USER, L"Software\\Classes\\" + OTHER_CLASS, L"", L"other.dll");
        add_key(HKEY_CURRENT_USER, L"Software\\Vexa Lune");
    }
}

// Written since each hive's last complete write: another vendor's keys,
// which only the logs hold.
void PlantSinceTheLastWrite(const std::vector<std::wstring> &sids)
{
    add_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Other Vendor\\Since", L"Version", L"2");
    add_sz(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\othersince", L"ImagePath", L"other.sys");
    for (const std::wstring &sid : sids) {
        winsim::SetUserSid(sid);
        add_sz(HKEY_CURRENT_USER, L"Software\\Other Vendor\\Since", L"Version", L"2");
        add_sz(HKEY_CURRENT_USER, L"Software\\Classes\\.othersince", L"", L"Other.Since");
    }
}

// Each profile has the products' EFS settings and a class of theirs in its own
// classes hive: the first profile's hides the machine's copy of that class in
// the merged classes.
void PlantProducts(const std::vector<std::wstring> &sids)
{
    InstallProductFamily();
    for (const std::wstring &sid : sids) {
        winsim::SetUserSid(sid);
        add_sz(HKEY_CURRENT_USER, L"Software\\Vexa Lune\\EFS", L"Enabled", L"1");
        add_sz(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\CLSID\\") + ComClasses[0] + L"\\InprocServer32",
               L"", L"vxcom.dll");
    }
}

TEST_P(OfflineFamilyTest, ARemovalAfterACrashKeepsAllTheLogsHeldButTheProductsAndWritesTheHivesClean)
{
    Plant(PlantBystanders);
    std::vector<winsim::HiveBytes> lastWritten;
    for (const std::string &hive : Hives())
        lastWritten.push_back(ReadBytes(hive));
    Plant(PlantSinceTheLastWrite);
    std::vector<std::multiset<std::string>> clean = Exports();
    std::map<std::string, std::string> cleanFiles = OtherFiles();
    Plant(PlantProducts);
    for (size_t i = 0; i < Hives().size(); ++i) {
        ASSERT_NE(clean[i], HivexEntries(Hives()[i], "HKEY_LOCAL_MACHINE\\HIVE")) << Hives()[i] << ": nothing planted";
        LeaveAsCrashed(Hives()[i], lastWritten[i], GetParam());
    }
    ASSERT_NE(cleanFiles, OtherFiles());
    std::vector<std::map<std::string, std::string>> crashed = HiveFiles();

    Run removal = RunProgram("--yes '" + volume + "'");
    EXPECT_EQ(0, removal.status) << removal.output;
    std::vector<std::multiset<std::string>> after = Exports();
    std::vector<std::map<std::string, std::string>> files = HiveFiles();
    for (size_t i = 0; i < Hives().size(); ++i) {
        const std::string hive = Hives()[i];
        EXPECT_TRUE(clean[i] == after[i]) << hive << Difference(clean[i], after[i]);
        // Written clean, the logs emptied: Windows has nothing to replay.
        winsim::BaseBlock base;
        EXPECT_TRUE(winsim::ReadBaseBlock(ReadBytes(hive), &base) && !winsim::IsDirty(base)) << hive;
        EXPECT_TRUE(files[i][".LOG1"].empty() && files[i][".LOG2"].empty()) << hive;
        // The hive and its logs as the crash left them, in one backup each.
        std::map<std::string, std::string> backups;
        for (const auto &file : files[i])
            if (!crashed[i].count(file.first))
                backups[file.first.substr(0, file.first.find(".vxclean-"))] += file.second;
        std::map<std::string, std::string> crashedFiles = {
            {"", crashed[i][""]}, {".LOG1", crashed[i][".LOG1"]}, {".LOG2", crashed[i][".LOG2"]}};
        EXPECT_TRUE(backups == crashedFiles) << hive;
    }
    EXPECT_EQ(Hives().size(), Occurrences(removal.output, "Replayed 1 log entry (")) << removal.output;
    EXPECT_TRUE(cleanFiles == OtherFiles());
    for (const auto &file : OtherFiles())
        EXPECT_EQ(1u, cleanFiles.count(file.first)) << "left: " << file.first;

    Run again = RunProgram("--yes '" + volume + "'");
    EXPECT_EQ(0, again.status) << again.output;
    EXPECT_EQ(std::string::npos, again.output.find("Written")) << again.output;
    EXPECT_EQ(std::string::npos, again.output.find("Replayed")) << again.output;
    EXPECT_TRUE(files == HiveFiles());
}

INSTANTIATE_TEST_SUITE_P(Windows, OfflineFamilyTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "x64" : "x86"; });

}  // namespace
