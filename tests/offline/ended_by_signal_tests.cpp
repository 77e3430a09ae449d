// vxclean-offline ended by a signal while it holds a dirty hive's replayed
// copy: nothing is left in $TMPDIR, and its exit shows the signal.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "windows_volume.h"

namespace {

// Long enough for any machine to replay the volume's dirty hive.
const std::chrono::seconds COPY_MADE_WITHIN(60);

// A pipe whose buffer is full: its writer blocks at its first write. Its ends
// stay with this process alone.
bool FullPipe(int ends[2])
{
    if (pipe2(ends, O_CLOEXEC) != 0 || fcntl(ends[1], F_SETFL, O_NONBLOCK) != 0)
        return false;
    const std::string block(4096, 'x');
    while (write(ends[1], block.data(), block.size()) > 0) {
    }
    return errno == EAGAIN && fcntl(ends[1], F_SETFL, 0) == 0;
}

// vxclean-offline --show on the volume, $TMPDIR the folder, its output into
// the pipe, its messages into a file; the signals it may be ended with at
// their default action, and no core file.
pid_t StartReport(const std::string &volume, const std::string &temporary, int output, const std::string &messages)
{
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    int input = open("/dev/null", O_RDONLY);
    int errors = open(messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (input < 0 || errors < 0 || dup2(input, 0) < 0 || dup2(output, 1) < 0 || dup2(errors, 2) < 0)
        _exit(127);
    struct rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int ending : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(ending, SIG_DFL);
    setenv("TMPDIR", temporary.c_str(), 1);
    execl(OFFLINE_PROGRAM, OFFLINE_PROGRAM, "--show", volume.c_str(), static_cast<char *>(nullptr));
    _exit(127);
}

// Whether the process holds a file in the folder open, or the folder holds a
// file: the replayed copy has been made.
bool CopyMade(pid_t pid, const std::string &temporary)
{
    if (!std::filesystem::is_empty(temporary))
        return true;
    std::error_code error;
    for (const auto &fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        std::string target = std::filesystem::read_symlink(fd.path(), error).string();
        if (target.rfind(temporary + "/", 0) == 0)
            return true;
    }
    return false;
}

// The report blocks at its first write of output, which it makes after the
// dirty hive was replayed; it is then ended by a signal, or, for SIGPIPE, by
// its reader going away, as "vxclean-offline --show ROOT | head" ends it.
TEST_F(VolumeTest, AReportEndedByASignalLeavesNoReplayedCopyBehindAndEndsByThatSignal)
{
    for (int ending : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        const std::string name = strsignal(ending);
        const std::string temporary = folder + "/tmp-" + std::to_string(ending);
        std::filesystem::create_directory(temporary);
        int output[2];
        ASSERT_TRUE(FullPipe(output));
        pid_t report = StartReport(volume, temporary, output[1], folder + "/messages.txt");
        ASSERT_GT(report, 0);
        close(output[1]);
        auto giveUp = std::chrono::steady_clock::now() + COPY_MADE_WITHIN;
        while (!CopyMade(report, temporary) && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(CopyMade(report, temporary)) << name << ": " << FileBytes(folder + "/messages.txt");
        if (ending == SIGPIPE)
            close(output[0]);
        else
            kill(report, ending);
        int status = 0;
        ASSERT_EQ(report, waitpid(report, &status, 0));
        if (ending != SIGPIPE)
            close(output[0]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending) << name << ": status " << status;
        EXPECT_TRUE(FilesIn(temporary).empty()) << name;
    }
}

}  // namespace
