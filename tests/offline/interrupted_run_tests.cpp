// vxclean-offline killed at random points of a removal: each hive is left
// whole, as it was before or as a complete run leaves it, and the next run
// completes the removal.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "windows_volume.h"

namespace {

const int KILLS = 15;
const char NEW_FILE_TAG[] = ".vxclean-new";
// A backup's name: the hive's, then this and the date.
const char BACKUP_TAG[] = ".vxclean-20";

// vxclean-offline --yes started on the volume, its output thrown away.
pid_t StartRemoval(const std::string &volume)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char *argv[] = {OFFLINE_PROGRAM, "--yes", volume.c_str(), nullptr};
    pid_t pid;
    int spawned = posix_spawn(&pid, OFFLINE_PROGRAM, &actions, nullptr, const_cast<char **>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

std::map<std::string, std::string> Bytes(const std::vector<std::string> &files)
{
    std::map<std::string, std::string> bytes;
    for (const std::string &file : files)
        bytes[file] = FileBytes(file);
    return bytes;
}

// A complete run is measured, then runs on fresh copies of the volume are
// killed at random moments of that time, one in each of as many equal parts
// of it, so that the short moments of writing are reached too. The hives are
// compared byte for byte: a run makes the same hivex calls every time, and
// hivex stamps no time into a hive it writes.
TEST_F(VolumeTest, ARemovalKilledAnywhereLeavesEachHiveWholeAndTheNextRunCompletes)
{
    const std::vector<std::string> hives = {system, software, users[0], classes[0]};
    const std::string pristine = folder + "/pristine";
    std::filesystem::copy(volume, pristine, std::filesystem::copy_options::recursive);
    std::map<std::string, std::string> before = Bytes(hives);

    auto start = std::chrono::steady_clock::now();
    Run complete = RunProgram("--yes '" + volume + "'");
    auto duration = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(0, complete.status) << complete.output;
    std::map<std::string, std::string> after = Bytes(hives);
    std::printf("A complete run takes %.3f s\n", duration.count() / 1e6);

    std::mt19937 random(1);
    std::uniform_real_distribution<double> within(0, 1);
    for (int kill = 0; kill < KILLS; ++kill) {
        std::filesystem::remove_all(volume);
        std::filesystem::copy(pristine, volume, std::filesystem::copy_options::recursive);
        long at = static_cast<long>((kill + within(random)) / KILLS * duration.count());
        pid_t pid = StartRemoval(volume);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(at));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(pid, waitpid(pid, nullptr, 0));
        for (const std::string &hive : hives)
            EXPECT_TRUE(FileBytes(hive) == before[hive] || FileBytes(hive) == after[hive])
                << hive << " after a kill at " << at << " us";

        Run again = RunProgram("--yes '" + volume + "'");
        EXPECT_EQ(0, again.status) << "after a kill at " << at << " us: " << again.output;
        for (const std::string &hive : hives) {
            EXPECT_TRUE(FileBytes(hive) == after[hive]) << hive << " after a kill at " << at << " us";
            EXPECT_TRUE(FilesBeside(hive, NEW_FILE_TAG).empty()) << hive << " after a kill at " << at << " us";
            for (const std::string &backup : FilesBeside(hive, BACKUP_TAG))
                EXPECT_TRUE(FileBytes(backup) == before[hive]) << backup << " after a kill at " << at << " us";
        }
    }
}

}  // namespace
