#include "hive_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "file_metadata.h"
#include "winsim/windows.h"

namespace winsim {
namespace {

const char BACKUP_TAG[] = ".vxclean-";
// A file being written beside the one it is for: a backup copy until it is
// complete, the new hive until it is put in place. A killed run can leave one
// behind; the next one written for the same file replaces it.
const char NEW_FILE_TAG[] = ".vxclean-new";
// Saves within the same second get backups "-2", "-3" and so on.
const int MAX_BACKUPS_IN_A_SECOND = 99;

std::string FolderOf(const std::string &file)
{
    size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return text;
}

bool Fail(std::wstring *reason, const std::wstring &what, const std::string &file)
{
    *reason = what + L" " + WideText(file) + L": " + ErrorText(errno);
    return false;
}

bool SyncPath(const std::string &path, int flags)
{
    int fd = open(path.c_str(), flags);
    if (fd < 0)
        return false;
    bool synced = fsync(fd) == 0;
    return close(fd) == 0 && synced;
}

// The copy is written under a new file's name and renamed when complete, so
// that a file with the backup's name is never part of one. It is made open to
// none but its owner, and is given the original's owner, mode and attributes
// before it takes the backup's name.
bool CopyFile(const std::string &from, const std::string &to, std::wstring *reason)
{
    int in = open(from.c_str(), O_RDONLY);
    if (in < 0)
        return Fail(reason, L"cannot read", from);
    std::string partial = from + NEW_FILE_TAG;
    unlink(partial.c_str());
    int out = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (out < 0) {
        close(in);
        return Fail(reason, L"cannot create the new file for the backup", partial);
    }
    char buffer[1 << 16];
    ssize_t got;
    bool copied = true;
    while (copied && (got = read(in, buffer, sizeof buffer)) != 0) {
        copied = got > 0;
        for (ssize_t done = 0; copied && done < got;) {
            ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
            copied = put > 0;
            done += put;
        }
    }
    int error = errno;
    close(in);
    copied = close(out) == 0 && copied;
    if (copied && !CopyFileMetadata(from, partial, reason)) {
        unlink(partial.c_str());
        return false;
    }
    // Flushed with its metadata, then named.
    if (copied && SyncPath(partial, O_RDONLY) && std::rename(partial.c_str(), to.c_str()) == 0)
        return true;
    if (copied)
        error = errno;
    unlink(partial.c_str());
    errno = error;
    return Fail(reason, L"cannot write the backup", to);
}

std::string Stamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

}  // namespace

std::vector<std::string> LogFilesBeside(const std::string &hive)
{
    std::vector<std::string> logs;
    std::string folder = FolderOf(hive);
    std::string base = Lower(hive.substr(hive.rfind('/') == std::string::npos ? 0 : hive.rfind('/') + 1));
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return logs;
    while (dirent *entry = readdir(dir)) {
        std::string name = Lower(entry->d_name);
        if (name == base + ".log" || name == base + ".log1" || name == base + ".log2")
            logs.push_back(folder + "/" + entry->d_name);
    }
    closedir(dir);
    std::sort(logs.begin(), logs.end());
    return logs;
}

bool ReadHostFile(const std::string &file, size_t most, HiveBytes *bytes)
{
    int fd = open(file.c_str(), O_RDONLY);
    struct stat status;
    if (fd < 0)
        return false;
    bool read = fstat(fd, &status) == 0;
    if (read)
        bytes->resize(std::min(static_cast<size_t>(status.st_size), most));
    for (size_t done = 0; read && done < bytes->size();) {
        ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
        read = got > 0;
        done += read ? static_cast<size_t>(got) : 0;
    }
    int error = errno;
    close(fd);
    errno = error;
    return read;
}

bool BackUpHive(const std::string &hive, std::string *suffix, std::wstring *reason)
{
    std::vector<std::string> files = LogFilesBeside(hive);
    files.insert(files.begin(), hive);
    const std::string base = BACKUP_TAG + Stamp();
    auto taken = [&](const std::string &suffix) {
        return std::any_of(files.begin(), files.end(),
                           [&](const std::string &file) { return access((file + suffix).c_str(), F_OK) == 0; });
    };
    std::string stamp = base;
    for (int n = 2; taken(stamp) && n <= MAX_BACKUPS_IN_A_SECOND; ++n)
        stamp = base + "-" + std::to_string(n);
    for (const std::string &file : files)
        if (!CopyFile(file, file + stamp, reason))
            return false;
    if (!SyncPath(FolderOf(hive), O_RDONLY | O_DIRECTORY))
        return Fail(reason, L"cannot flush the folder of", hive);
    *suffix = stamp;
    return true;
}

bool CommitHive(hive_h *hive, const std::string &file, std::wstring *reason)
{
    std::string written = file + NEW_FILE_TAG;
    unlink(written.c_str());
    // Made open to none but its owner before hivex writes into it, which
    // keeps that mode, until it is given the old hive's.
    int made = open(written.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (made < 0)
        return Fail(reason, L"cannot create the new hive", written);
    close(made);
    if (hivex_commit(hive, written.c_str(), 0) != 0) {
        int error = errno;
        unlink(written.c_str());
        errno = error;
        return Fail(reason, L"hivex cannot write the new hive", written);
    }
    if (!CopyFileMetadata(file, written, reason)) {
        unlink(written.c_str());
        return false;
    }
    if (!SyncPath(written, O_RDONLY)) {
        int error = errno;
        unlink(written.c_str());
        errno = error;
        return Fail(reason, L"cannot flush the new hive", written);
    }
    if (std::rename(written.c_str(), file.c_str()) != 0) {
        int error = errno;
        unlink(written.c_str());
        errno = error;
        return Fail(reason, L"cannot put the new hive in place of", file);
    }
    if (!SyncPath(FolderOf(file), O_RDONLY | O_DIRECTORY))
        return Fail(reason, L"the new hive is in place but its folder could not be flushed:", file);
    return true;
}

bool EmptyLogs(const std::string &hive, std::wstring *reason)
{
    for (const std::string &log : LogFilesBeside(hive))
        if (truncate(log.c_str(), 0) != 0 || !SyncPath(log, O_RDONLY))
            return Fail(reason, L"the new hive is in place but this log of the old one could not be emptied:", log);
    return true;
}

}  // namespace winsim
