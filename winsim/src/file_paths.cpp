// Windows' path rules over the host folder that holds drive C:: backslashes,
// drive letter, "." and "..", MAX_PATH, names compared without case and kept
// as written, and WOW64 redirection of the system folder for our process.
#include <dirent.h>

#include <cerrno>
#include <cwctype>
#include <vector>

#include "file_system.h"
#include "winsim/utf8.h"

namespace winsim {
namespace {

const wchar_t CURRENT_FOLDER[] = L"C:\\";
const wchar_t SYSTEM_FOLDER[] = L"C:\\WINDOWS\\SYSTEM32";
const wchar_t WOW64_SYSTEM_FOLDER[] = L"C:\\Windows\\SysWOW64";
// Folders under the system folder that every process sees unredirected.
const wchar_t *const redirectionExempt[] = {L"CATROOT",      L"CATROOT2", L"DRIVERSTORE",
                                            L"DRIVERS\\ETC", L"LOGFILES", L"SPOOL"};

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::vector<std::wstring> SplitComponents(const std::wstring &rest)
{
    std::vector<std::wstring> components;
    std::wstring current;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !IsSeparator(rest[i])) {
            current += rest[i];
            continue;
        }
        if (current == L"..") {
            if (!components.empty())
                components.pop_back();
        } else if (current != L".") {
            // Windows drops trailing dots and spaces from names.
            while (!current.empty() && (current.back() == L'.' || current.back() == L' '))
                current.pop_back();
            if (!current.empty())
                components.push_back(current);
        }
        current.clear();
    }
    return components;
}

bool StartsWithFolder(const std::wstring &upperPath, const std::wstring &folder)
{
    return upperPath.compare(0, folder.size(), folder) == 0 &&
           (upperPath.size() == folder.size() || upperPath[folder.size()] == L'\\');
}

std::wstring Redirected(const std::wstring &full)
{
    const Machine &machine = TheMachine();
    if (machine.kind != MachineKind::Windows64 || machine.fsRedirectionDisabled)
        return full;
    std::wstring upper = Uppercase(full);
    const std::wstring system = SYSTEM_FOLDER;
    if (!StartsWithFolder(upper, system))
        return full;
    for (const wchar_t *exempt : redirectionExempt)
        if (StartsWithFolder(upper, system + L"\\" + exempt))
            return full;
    return WOW64_SYSTEM_FOLDER + full.substr(system.size());
}

// Whether the host's errno says that the item is not there: a name too long
// for the host names nothing on it.
bool IsMissing(int hostError)
{
    return hostError == ENOENT || hostError == ENOTDIR || hostError == ENAMETOOLONG;
}

bool IsValidName(const std::wstring &name)
{
    for (wchar_t c : name)
        if (c < 32 || std::wcschr(L"<>:\"|?*", c))
            return false;
    return true;
}

// The host name of a folder's entry that Windows would take for this name.
std::string HostEntryName(const std::string &hostFolder, const std::wstring &name)
{
    std::string exact = EncodeUtf8(name.c_str());
    struct stat status;
    if (lstat((hostFolder + "/" + exact).c_str(), &status) == 0)
        return exact;
    std::wstring upper = Uppercase(name);
    if (DIR *folder = opendir(hostFolder.c_str())) {
        while (dirent *entry = readdir(folder)) {
            if (Uppercase(DecodeUtf8(entry->d_name)) == upper) {
                exact = entry->d_name;
                break;
            }
        }
        closedir(folder);
    }
    return exact;
}

}  // namespace

std::wstring Uppercase(const std::wstring &text)
{
    std::wstring upper(text);
    for (wchar_t &c : upper)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return upper;
}

std::wstring WindowsFullPath(const wchar_t *path)
{
    std::wstring given(path);
    std::wstring drive;
    std::wstring rest;
    if (given.size() >= 2 && given[1] == L':') {
        drive = given.substr(0, 2);
        rest = given.substr(2);
    } else if (!given.empty() && IsSeparator(given[0])) {
        drive = L"C:";
        rest = given;
    } else {
        drive = L"C:";
        rest = std::wstring(CURRENT_FOLDER + 2) + given;
    }
    std::wstring full = drive + L"\\";
    std::vector<std::wstring> components = SplitComponents(rest);
    for (size_t i = 0; i < components.size(); ++i)
        full += (i ? L"\\" : L"") + components[i];
    if (!components.empty() && !given.empty() && IsSeparator(given.back()))
        full += L"\\";
    return full;
}

DWORD ResolvePath(const wchar_t *path, ResolvedPath &resolved)
{
    if (!path || !*path)
        return ERROR_PATH_NOT_FOUND;
    std::wstring full = WindowsFullPath(path);
    if (full.size() >= MAX_PATH)
        return ERROR_PATH_NOT_FOUND;
    resolved.trailingBackslash = full.size() > 3 && full.back() == L'\\';
    if (resolved.trailingBackslash)
        full.pop_back();
    if ((full[0] != L'C' && full[0] != L'c') || TheMachine().files.driveFolder.empty())
        return ERROR_PATH_NOT_FOUND;
    resolved.full = Redirected(full);

    std::vector<std::wstring> components = SplitComponents(resolved.full.substr(2));
    std::string host = TheMachine().files.driveFolder;
    for (size_t i = 0; i < components.size(); ++i) {
        if (!IsValidName(components[i]))
            return ERROR_INVALID_NAME;
        if (i > 0) {
            // Every folder on the way must be there; junctions are followed.
            struct stat folder;
            if (stat(host.c_str(), &folder) != 0)
                return IsMissing(errno) ? ERROR_PATH_NOT_FOUND : WindowsErrorOf(errno);
            if (!S_ISDIR(folder.st_mode))
                return ERROR_PATH_NOT_FOUND;
        }
        host += "/" + HostEntryName(host, components[i]);
    }
    resolved.host = host;
    resolved.exists = lstat(host.c_str(), &resolved.status) == 0;
    if (!resolved.exists && !IsMissing(errno))
        return WindowsErrorOf(errno);
    if (resolved.exists && resolved.trailingBackslash && !IsFolder(resolved))
        return ERROR_INVALID_NAME;
    return 0;
}

NodeId NodeOf(const struct stat &status)
{
    return NodeId{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino)};
}

bool IsJunction(const ResolvedPath &item)
{
    return item.exists && S_ISLNK(item.status.st_mode);
}

bool IsFolder(const ResolvedPath &item)
{
    return item.exists && (S_ISDIR(item.status.st_mode) || IsJunction(item));
}

}  // namespace winsim
