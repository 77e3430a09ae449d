// What the host refuses, as Windows answers it: a folder that the caller may
// not list or change (root included, whom permission bits do not stop), and
// names that the host cannot take or resolve.
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <winsim/control.h>

namespace {

const uid_t NOBODY = 65534;

std::string FreshVolume(const std::string &name)
{
    std::string volume = testing::TempDir() + name;
    std::filesystem::remove_all(volume);
    std::filesystem::create_directories(volume);
    winsim::ResetMachine();
    winsim::UseFolderAsDriveC(volume);
    return volume;
}

bool SetImmutable(const std::string &folder, bool immutable)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        close(fd);
    return done;
}

// The process becomes user nobody, when it is root.
bool BecomeNobody()
{
    return geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(NOBODY) == 0 && setuid(NOBODY) == 0);
}

// The volume mounted again over itself, read-only, in a mount namespace of the
// process's own.
bool MountReadOnly(const std::string &volume)
{
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(volume.c_str(), volume.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, volume.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// The error of each call that lists or changes C:\Locked, 0 for one that
// succeeded, and how many names GetTempFileNameW tried there.
std::map<std::string, DWORD> CallsOnLockedFolder()
{
    std::map<std::string, DWORD> errors;
    auto note = [&](const char *call, bool succeeded) { errors[call] = succeeded ? 0 : GetLastError(); };
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"C:\\Locked\\*", &found);
    note("FindFirstFileW", search != INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    note("DeleteFileW", DeleteFileW(L"C:\\Locked\\file.txt"));
    note("MoveFileExW", MoveFileExW(L"C:\\Locked\\file.txt", L"C:\\Locked\\moved.txt", 0));
    HANDLE file = CreateFileW(L"C:\\Locked\\new.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    note("CreateFileW", file != INVALID_HANDLE_VALUE);
    note("RemoveDirectoryW", RemoveDirectoryW(L"C:\\Locked\\Sub"));
    unsigned opened = winsim::CallCount("CreateFileW");
    wchar_t name[MAX_PATH];
    note("GetTempFileNameW", GetTempFileNameW(L"C:\\Locked", L"csp", 0, name) != 0);
    errors["names tried by GetTempFileNameW"] = winsim::CallCount("CreateFileW") - opened;
    return errors;
}

struct ChildResult {
    std::string skipped;  // why the host could not refuse this way here
    std::map<std::string, DWORD> errors;
};

// The refusal set up in a child process (a user or a mount namespace of its
// own), which then makes the calls.
ChildResult InChild(const std::function<std::string()> &refuse)
{
    int channel[2];
    if (pipe(channel) != 0)
        return ChildResult{"no pipe to a child process", {}};
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::ostringstream out;
        std::string skipped = refuse();
        if (!skipped.empty())
            out << "skip " << skipped << "\n";
        else
            for (const auto &error : CallsOnLockedFolder())
                out << error.second << " " << error.first << "\n";
        std::string text = out.str();
        _exit(write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
    ChildResult result;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("skip ", 0) == 0) {
            result.skipped = line.substr(5);
            continue;
        }
        size_t cut = line.find(' ');
        result.errors[line.substr(cut + 1)] = static_cast<DWORD>(std::stoul(line.substr(0, cut)));
    }
    return result;
}

std::set<std::string> Entries(const std::string &folder)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(WinsimHostRefusals, AFolderThatCannotBeChangedRefusesEveryChangeAtOnceAsWindowsDoes)
{
    std::string volume = FreshVolume("winsim_refusals");
    const std::string locked = volume + "/Locked";
    std::filesystem::create_directories(locked + "/Sub");
    std::ofstream(locked + "/file.txt") << "x";
    const std::set<std::string> before = Entries(locked);
    const std::string notNobody = "root could not become user nobody";
    struct Refusal {
        const char *how;
        DWORD expected;
        DWORD listing;                        // the error of FindFirstFileW
        std::function<std::string()> refuse;  // in the child; a reason when this host cannot
    } refusals[] = {
        {"a folder of mode 555, to a user who is not root", ERROR_ACCESS_DENIED, 0,
         [&] { return chmod(locked.c_str(), 0555) == 0 && BecomeNobody() ? "" : notNobody; }},
        {"another user's private folder (mode 000)", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
         [&] { return chmod(locked.c_str(), 0) == 0 && BecomeNobody() ? "" : notNobody; }},
        {"an immutable folder (chattr +i), which stops root too", ERROR_ACCESS_DENIED, 0,
         [&] {
             return SetImmutable(locked, true) ? "" : "this file system keeps no immutable flag, or we may not set it";
         }},
        {"a volume mounted read-only", ERROR_WRITE_PROTECT, 0,
         [&] { return MountReadOnly(volume) ? "" : "no mount namespace can be made here"; }},
    };
    for (const Refusal &refusal : refusals) {
        ChildResult result = InChild(refusal.refuse);
        chmod(locked.c_str(), 0755);
        SetImmutable(locked, false);
        if (!result.skipped.empty()) {
            std::printf("[  SKIPPED ] %s: %s\n", refusal.how, result.skipped.c_str());
            continue;
        }
        const DWORD expected = refusal.expected;
        EXPECT_EQ((std::map<std::string, DWORD>{{"CreateFileW", expected},
                                                {"DeleteFileW", expected},
                                                {"FindFirstFileW", refusal.listing},
                                                {"GetTempFileNameW", expected},
                                                {"MoveFileExW", expected},
                                                {"RemoveDirectoryW", expected},
                                                {"names tried by GetTempFileNameW", 1}}),
                  result.errors)
            << refusal.how;
        EXPECT_EQ(before, Entries(locked)) << refusal.how;
    }
}

TEST(WinsimHostRefusals, ANameTooLongForTheHostOrJunctionsInALoopGetWindowsOwnErrors)
{
    std::string volume = FreshVolume("winsim_host_names");
    // 90 characters, which Windows takes, are 270 bytes in UTF-8: more than a
    // host name may have.
    const std::wstring longName = L"C:\\" + std::wstring(90, L'\u20AC');
    ASSERT_EQ(0, symlink((volume + "/B").c_str(), (volume + "/A").c_str()));
    ASSERT_EQ(0, symlink((volume + "/A").c_str(), (volume + "/B").c_str()));
    struct Case {
        const char *call;
        std::function<bool()> make;
        DWORD expected;
    } cases[] = {
        {"CreateFileW of the long name",
         [&] {
             return CreateFileW(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr) !=
                    INVALID_HANDLE_VALUE;
         },
         ERROR_FILENAME_EXCED_RANGE},
        {"GetFileAttributesW of the long name",
         [&] { return GetFileAttributesW(longName.c_str()) != INVALID_FILE_ATTRIBUTES; }, ERROR_FILE_NOT_FOUND},
        {"GetFileAttributesW through the loop",
         [] { return GetFileAttributesW(L"C:\\A\\x") != INVALID_FILE_ATTRIBUTES; }, ERROR_CANT_RESOLVE_FILENAME},
        {"CreateDirectoryW through the loop", [] { return CreateDirectoryW(L"C:\\A\\x", nullptr) != FALSE; },
         ERROR_CANT_RESOLVE_FILENAME},
    };
    for (const Case &test : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(test.make()) << test.call;
        EXPECT_EQ(test.expected, GetLastError()) << test.call;
    }
    EXPECT_EQ((std::set<std::string>{"A", "B"}), Entries(volume));
}

}  // namespace
