// vxclean-offline run on a small Windows volume, its hives checked with hivex.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "hive_editing.h"
#include "windows_volume.h"

namespace {

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

size_t Count(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string FolderOf(const std::string &file)
{
    return std::filesystem::path(file).parent_path().string();
}

void Overwrite(const std::string &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The lock on the volume's config folder, held as another vxclean-offline
// would hold it; -1 when it could not be taken.
int HoldLock(const std::string &config, int how)
{
    int fd = open(config.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0 && flock(fd, how | LOCK_NB) != 0) {
        close(fd);
        fd = -1;
    }
    EXPECT_GE(fd, 0) << config;
    return fd;
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
    EXPECT_EQ(2, refused.status);
    EXPECT_TRUE(Contains(refused.output, "not confirmed: nothing was changed")) << refused.output;
    EXPECT_TRUE(Contains(refused.output,
                         "Remove the VexaLune products from Windows 7 Professional 7601 on " + volume + "? [y/N]"))
        << refused.output;
    EXPECT_TRUE(files == VolumeFiles());

    const std::string config = FolderOf(system);
    const std::map<std::string, std::string> hives = {{system, FileBytes(system)},
                                                      {software, FileBytes(software)},
                                                      {users[0], FileBytes(users[0])},
                                                      {classes[0], FileBytes(classes[0])}};
    const std::string busy = "another vxclean-offline is working on " + volume;
    int lock = -1;
    struct Refusal {
        const char *input;
        const char *options;
        std::function<void()> make;
        std::vector<std::string> says;
    } refusals[] = {
        {"no SOFTWARE hive", "--yes", [&] { std::filesystem::remove(software); }, {volume, "not a Windows root"}},
        {"a SYSTEM hive cut after 4 KB",
         "--yes",
         [&] { Overwrite(system, hives.at(system).substr(0, 4096)); },
         {"cannot open the hive " + system, "Nothing was changed", "run again"}},
        {"a SOFTWARE file that is no hive",
         "--show",
         [&] { Overwrite(software, "not a hive"); },
         {"cannot open the hive " + software, "Nothing was changed"}},
        {"a profile's NTUSER.DAT that is no hive",
         "--yes",
         [&] { Overwrite(users[0], std::string(hives.at(users[0]).size(), 'x')); },
         {"cannot open the hive " + users[0], "Nothing was changed"}},
        {"a profile's dirty UsrClass.dat cut after 8 KB, its logs beside it",
         "--show",
         [&] { Overwrite(classes[0], hives.at(classes[0]).substr(0, 8192)); },
         {"cannot open the hive " + classes[0], "Nothing was changed"}},
        {"a removal running", "--yes", [&] { lock = HoldLock(config, LOCK_EX); }, {busy, "Run again when"}},
        {"a report while a removal runs", "--show", [&] { lock = HoldLock(config, LOCK_EX); }, {busy}},
        {"a removal while a report runs", "--yes", [&] { lock = HoldLock(config, LOCK_SH); }, {busy}},
    };
    for (const Refusal &refusal : refusals) {
        refusal.make();
        files = VolumeFiles();
        Run run = RunProgram(std::string(refusal.options) + " '" + volume + "'");
        EXPECT_EQ(2, run.status) << refusal.input << ": " << run.output;
        for (const std::string &part : refusal.says)
            EXPECT_TRUE(Contains(run.output, part)) << refusal.input << ": " << run.output;
        EXPECT_TRUE(files == VolumeFiles()) << refusal.input;
        if (lock >= 0)
            close(lock);
        lock = -1;
        for (const auto &hive : hives)
            Overwrite(hive.first, hive.second);
    }
}

// Root, whom no permission bits stop, runs the program as another user, to
// whom the volume is given first; anyone else runs it as themselves.
TEST_F(VolumeTest, WhereAHiveOrItsFolderCannotBeWrittenARemovalIsRefusedAndWhereAHiveCannotBeReadAReportToo)
{
    std::string asOwner;
    if (geteuid() == 0) {
        ASSERT_EQ(0, std::system(("chown -R 65534:65534 '" + volume + "'").c_str()));
        asOwner = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const std::filesystem::perms writable = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                            std::filesystem::perms::others_write;
    for (const std::string &path : {FolderOf(system), users[0], FolderOf(classes[0])}) {
        std::filesystem::permissions(path, writable, std::filesystem::perm_options::remove);
        std::map<std::string, std::string> files = VolumeFiles();
        Run removal = RunProgram("--yes '" + volume + "'", asOwner);
        EXPECT_EQ(2, removal.status) << path;
        EXPECT_TRUE(Contains(removal.output, path + " cannot be written: Permission denied")) << removal.output;
        EXPECT_TRUE(Contains(removal.output, "Mount the volume read-write")) << removal.output;
        Run report = RunProgram("--show '" + volume + "'", asOwner);
        EXPECT_TRUE(Contains(report.output, "vxcsp")) << report.output;
        EXPECT_TRUE(files == VolumeFiles()) << path;
        std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    }
    std::filesystem::permissions(users[0], std::filesystem::perms::all, std::filesystem::perm_options::remove);
    Run unreadable = RunProgram("--show '" + volume + "'", asOwner);
    EXPECT_EQ(2, unreadable.status);
    EXPECT_TRUE(Contains(unreadable.output, "cannot open the hive " + users[0] + ": Permission denied"))
        << unreadable.output;
}

// The product's folder cannot be changed by the user who runs the removal
// (its mode 555 stops anyone but root; root runs the removal as another user,
// to whom the volume is given): each file in it is reported as access denied,
// at once, and no temporary file is made beside it.
TEST_F(VolumeTest, EachFileThatCannotBeDeletedIsReportedAsAccessDenied)
{
    const std::string product = FolderOf(productFile);
    std::ofstream(product + "/y.dll") << "MZ";
    std::string asUser;
    if (geteuid() == 0) {
        ASSERT_EQ(0, std::system(("chown -R 65534:65534 '" + volume + "'").c_str()));
        asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    std::filesystem::permissions(product, std::filesystem::perms(0555));
    Run removal = RunProgram("--yes '" + volume + "'", asUser);
    std::set<std::string> programFiles;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(volume + "/Program Files")) {
        if (entry.is_directory())
            std::filesystem::permissions(entry.path(), std::filesystem::perms(0755));
        else
            programFiles.insert(entry.path().filename().string());
    }
    for (const char *file : {"x.dll", "y.dll"})
        EXPECT_TRUE(Contains(removal.output, "GetTempFileName for file: C:\\Program Files\\Vexa Lune\\" +
                                                 std::string(file) +
                                                 " fail.\nError number 0x5 (5).\nAccess is denied."))
            << removal.output;
    EXPECT_FALSE(Contains(removal.output, "The file exists")) << removal.output;
    EXPECT_EQ((std::set<std::string>{"x.dll", "y.dll"}), programFiles);
}

// The volume is mounted again, read-only, over itself in a mount namespace
// of the program's own.
TEST_F(VolumeTest, ARemovalIsRefusedOnAVolumeMountedReadOnlyAndAReportStillWorks)
{
    const std::string readOnly = std::string(geteuid() == 0 ? "unshare -m" : "unshare -rm") +
                                 " sh -c 'mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && "
                                 "exec \"$@\"' '" +
                                 volume + "' ";
    if (std::system((readOnly + "true 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no mount namespace can be made here (unshare), so no read-only mount";
    std::map<std::string, std::string> files = VolumeFiles();
    Run removal = RunProgram("--yes '" + volume + "'", readOnly);
    EXPECT_EQ(2, removal.status);
    EXPECT_TRUE(Contains(removal.output, volume + " is mounted read-only")) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "mount -o remount,rw " + volume)) << removal.output;
    Run report = RunProgram("--show '" + volume + "'", readOnly);
    EXPECT_TRUE(Contains(report.output, "vxcsp")) << report.output;
    EXPECT_TRUE(files == VolumeFiles());
}

// What is in the way of the file that a hive is written to first makes the
// hive's writing fail, as a full or failing disk would.
// The service key stays in the SYSTEM hive, so its files must stay too; the
// summary and the exit status say that the run failed.
TEST_F(VolumeTest, AHiveThatCannotBeWrittenBackStaysAsItWasWithTheFilesItNamesAndTheNextRunFinishes)
{
    const std::string systemBytes = FileBytes(system);
    const std::string inTheWay = system + ".vxclean-new";
    std::filesystem::create_directories(inTheWay + "/x");
    Run removal = RunProgram("--yes '" + volume + "'");
    EXPECT_EQ(3, removal.status);
    EXPECT_TRUE(Contains(removal.output, "the hive " + system + " could not be written")) << removal.output;
    EXPECT_TRUE(Contains(removal.output, inTheWay + ": File exists")) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "Run vxclean-offline again")) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "Written: " + software)) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "The files of this pass are left as they are")) << removal.output;
    EXPECT_TRUE(systemBytes == FileBytes(system));
    EXPECT_TRUE(std::filesystem::exists(productFile));
    // summary.txt is UTF-16LE with CRLF, all of it ASCII here.
    std::string summary;
    for (const auto &file : VolumeFiles())
        if (Contains(file.first, "/Windows/Temp/vxclean-") && Contains(file.first, "/summary.txt"))
            for (size_t i = 2; i < file.second.size(); i += 2)
                if (file.second[i] != '\r')
                    summary += file.second[i];
    EXPECT_TRUE(Contains(summary, "Failures:                 1\n")) << summary;
    EXPECT_TRUE(Contains(summary, "Exit status:              3\n")) << summary;
    EXPECT_EQ(1u, Count(removal.output, "the hive " + system + " could not be written")) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "The removal is not complete")) << removal.output;
    EXPECT_FALSE(Contains(removal.output, "Restart needed\" means here")) << removal.output;

    std::filesystem::remove_all(inTheWay);
    Run again = RunProgram("--yes '" + volume + "'");
    EXPECT_EQ(0, again.status) << again.output;
    EXPECT_TRUE(Contains(again.output, "Written: " + system)) << again.output;
    EXPECT_FALSE(Contains(again.output, "Written: " + software)) << again.output;
    EXPECT_FALSE(std::filesystem::exists(productFile));
    EXPECT_TRUE(systemBefore == HivexEntries(system, "HKEY_LOCAL_MACHINE\\SYSTEM"));
}

// Each step's status and what it says, in turn on one volume, from the
// products found to their removal and a report that finds nothing; the
// common-files folder that a removal keeps is named but found no longer.
TEST_F(VolumeTest, TheExitStatusTellsAScriptWhatHappened)
{
    std::filesystem::create_directories(volume + "/Program Files/Common Files/Vexa Lune");
    const std::string root = " '" + volume + "'";
    struct Step {
        std::string arguments;
        int status;
        std::vector<std::string> says;
    } steps[] = {
        {"--help", 0, {"Usage: vxclean-offline", "--delkeys", "Exit status:", "3  a step"}},
        {"--version", 0, {"vxclean-offline 1."}},
        {"--bogus" + root, 2, {"unknown option --bogus", "Usage: vxclean-offline"}},
        {"--show --" + root,
         1,
         {"Exit status:              1\n", "What a removal would delete (", "Registry, hive " + system + ": 1 key\n",
          "    HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\services\\vxcsp\n", "Files and folders on the volume",
          "Kept on purpose (a removal leaves it): 1 folder\n    C:\\Program Files\\Common Files\\Vexa Lune\n"}},
        {"--yes" + root,
         0,
         {"Exit status:              0\n", "Written: " + system, "Backups of the hives as they were before this run",
          "  " + system + ".vxclean-", "The record of this run, C:\\Windows\\Temp\\vxclean-",
          " is " + volume + "/Windows/Temp/vxclean-"}},
        {"--show" + root,
         0,
         {"Exit status:              0\n", "What a removal would delete: nothing", "Kept on purpose"}},
    };
    for (const Step &step : steps) {
        Run run = RunProgram(step.arguments);
        EXPECT_EQ(step.status, run.status) << step.arguments << ": " << run.output;
        for (const std::string &part : step.says)
            EXPECT_TRUE(Contains(run.output, part)) << step.arguments << " lacks " << part << ": " << run.output;
    }
}

// Profiles that Windows lists but whose folders are gone are said and passed
// over; one whose classes hive is there without its user hive is refused.
TEST_F(VolumeTest, EachProfileIsSaidAndOneWithoutItsUserHiveIsRefused)
{
    EditHive(software, {{"Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-18",
                         {TextValue("ProfileImagePath", "%systemroot%\\system32\\config\\systemprofile", 2)}},
                        {"Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1200",
                         {TextValue("ProfileImagePath", "C:\\Users\\gone", 2)}}});
    Run report = RunProgram("--show '" + volume + "'");
    EXPECT_EQ(1, report.status) << report.output;
    for (const std::string &part :
         {"S-1-5-18 (the system's own profile, LocalSystem): C:\\Windows\\system32\\config\\systemprofile = " + volume +
              "/Windows/system32/config/systemprofile\n    passed over: its folder is not on this volume",
          "S-1-5-21-1-2-3-1200: C:\\Users\\gone = " + volume + "/Users/gone\n    passed over",
          sids[0] + ": C:\\Users\\admin = " + volume + "/Users/admin\n    mounted: " + users[0] + " and " + classes[0]})
        EXPECT_TRUE(Contains(report.output, part)) << part << "\n" << report.output;

    std::filesystem::rename(users[0], users[0] + ".aside");
    std::map<std::string, std::string> files = VolumeFiles();
    for (const char *options : {"--show", "--yes"}) {
        Run refused = RunProgram(std::string(options) + " '" + volume + "'");
        EXPECT_EQ(2, refused.status) << refused.output;
        EXPECT_TRUE(Contains(refused.output, "the profile " + sids[0] +
                                                 " (C:\\Users\\admin) has a UsrClass.dat but "
                                                 "no NTUSER.DAT"))
            << refused.output;
        EXPECT_TRUE(files == VolumeFiles());
    }
    // What stands in a hive's place but is no file cannot be read: refused.
    std::filesystem::create_directory(users[0]);
    Run folder = RunProgram("--show '" + volume + "'");
    EXPECT_EQ(2, folder.status) << folder.output;
    EXPECT_TRUE(Contains(folder.output, "cannot open the hive " + users[0])) << folder.output;
}

// The vendor's settings key holds the users' private keys: a report with
// --delkeys names it, and a removal with it asks about it on its own.
TEST_F(VolumeTest, DelkeysAsksAboutThePrivateKeysAndAReportWithItShowsThem)
{
    const std::string settingsKey = "    HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexa Lune\n";
    std::map<std::string, std::string> files = VolumeFiles();
    EXPECT_FALSE(Contains(RunProgram("--show '" + volume + "'").output, settingsKey));
    Run report = RunProgram("--show --delkeys '" + volume + "'");
    EXPECT_EQ(1, report.status);
    EXPECT_TRUE(Contains(report.output, settingsKey)) << report.output;
    Run keysKept = RunOnTerminal("--delkeys '" + volume + "'", "y\\nn");
    EXPECT_EQ(2, keysKept.status) << keysKept.output;
    EXPECT_TRUE(Contains(keysKept.output, "Also delete the vendor's settings key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexa "
                                          "Lune with the users' private keys"))
        << keysKept.output;
    EXPECT_TRUE(Contains(keysKept.output, "not confirmed: nothing was changed")) << keysKept.output;
    EXPECT_TRUE(files == VolumeFiles());
}

// A file system of its own size in a mount namespace, for the whole volume
// or for a profile's folder alone, checked before and after the run there.
TEST_F(VolumeTest, AFileSystemWithoutRoomForTheBackupsAndTheNewHivesIsRefusedUnchanged)
{
    auto sizeOf = [](const std::string &path) {
        uintmax_t bytes = 0;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(path))
            bytes += entry.is_regular_file() ? entry.file_size() : 0;
        return std::to_string(bytes / 1024 + 1024) + "k";
    };
    const std::string small = folder + "/small";
    const std::string profile = FolderOf(users[0]).substr(volume.size());
    const std::string sums = "(cd \"$0\" && find . -type f -exec md5sum {} + | sort)";
    const struct {
        const char *where;
        std::string makeSmall;
    } cases[] = {
        {"the whole volume",
         "mount -t tmpfs -o size=" + sizeOf(volume) + " tmpfs \"$0\" && cp -a \"" + volume + "/.\" \"$0\""},
        {"a profile's folder", "mount -t tmpfs tmpfs \"$0\" && cp -a \"" + volume + "/.\" \"$0\" && rm -r \"$0" +
                                   profile + "\"/* && mount -t tmpfs -o size=" + sizeOf(volume + profile) +
                                   " tmpfs \"$0" + profile + "\" && cp -a \"" + volume + profile + "/.\" \"$0" +
                                   profile + "\""},
    };
    for (const auto &item : cases) {
        std::filesystem::remove_all(small);
        std::filesystem::create_directories(small);
        const std::string inSmallVolume = std::string(geteuid() == 0 ? "unshare -m" : "unshare -rm") + " sh -c '" +
                                          item.makeSmall + " && " + sums + " > \"$0.before\" && \"$@\"; status=$?; " +
                                          sums + " | cmp -s - \"$0.before\" && echo UNCHANGED; exit $status' '" +
                                          small + "' ";
        if (std::system((inSmallVolume + "true >/dev/null 2>&1").c_str()) != 0)
            GTEST_SKIP() << "no mount namespace with a tmpfs can be made here (unshare)";
        Run removal = RunProgram("--yes '" + small + "'", inSmallVolume);
        EXPECT_EQ(2, removal.status) << item.where << ": " << removal.output;
        for (const char *part : {"MB free, and a removal needs up to ", "Nothing was changed", "UNCHANGED"})
            EXPECT_TRUE(Contains(removal.output, part)) << item.where << ": " << removal.output;
    }
}

}  // namespace
