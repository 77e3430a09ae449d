#include "file_metadata.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <map>
#include <vector>

#include "hive_names.h"

namespace winsim {
namespace {

// Attributes that the NTFS drivers answer by name but do not list: ntfs-3g's
// security descriptor and attributes (in either byte order), and those of
// the kernel's ntfs3.
const char *const NTFS_ATTRIBUTES[] = {"system.ntfs_acl", "system.ntfs_attrib_be", "system.ntfs_attrib",
                                       "system.ntfs_security", "system.dos_attrib"};
const mode_t MODE_BITS = 07777;

using Attributes = std::map<std::string, std::string>;

bool Fail(std::wstring *reason, const std::wstring &what, const std::string &from, const std::string &to)
{
    *reason = what + L" of " + WideText(from) + L" on " + WideText(to) + L": " + ErrorText(errno);
    return false;
}

bool Unkept(std::wstring *reason, const std::wstring &what, const std::string &from, const std::string &to)
{
    *reason = L"the file system did not keep the " + what + L" of " + WideText(from) + L" given to " + WideText(to) +
              L": it reads back different";
    return false;
}

bool Missing(int error)
{
    return error == ENODATA || error == ENOTSUP || error == EOPNOTSUPP;
}

// The value of one attribute; false with errno set when the file has none
// or it cannot be read.
bool ReadAttribute(const std::string &file, const std::string &name, std::string *value)
{
    for (;;) {
        ssize_t size = getxattr(file.c_str(), name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value->resize(static_cast<size_t>(size));
        ssize_t got = getxattr(file.c_str(), name.c_str(), &(*value)[0], value->size());
        if (got >= 0) {
            value->resize(static_cast<size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool ListNames(const std::string &file, std::vector<std::string> *names)
{
    std::string list;
    for (;;) {
        ssize_t size = listxattr(file.c_str(), nullptr, 0);
        if (size < 0)
            return Missing(errno);
        list.resize(static_cast<size_t>(size));
        ssize_t got = listxattr(file.c_str(), &list[0], list.size());
        if (got >= 0) {
            list.resize(static_cast<size_t>(got));
            break;
        }
        if (errno != ERANGE)
            return false;
    }
    for (size_t start = 0, end; start < list.size(); start = end + 1) {
        end = list.find('\0', start);
        end = end == std::string::npos ? list.size() : end;
        names->push_back(list.substr(start, end - start));
    }
    return true;
}

// Every attribute the file lists and each NTFS one it has; false with what
// could not be read.
bool ReadAttributes(const std::string &file, Attributes *attributes, std::wstring *failed)
{
    std::vector<std::string> names(std::begin(NTFS_ATTRIBUTES), std::end(NTFS_ATTRIBUTES));
    if (!ListNames(file, &names)) {
        *failed = L"list of extended attributes";
        return false;
    }
    for (const std::string &name : names) {
        std::string value;
        if (ReadAttribute(file, name, &value)) {
            (*attributes)[name] = value;
        } else if (!Missing(errno) || std::find(std::begin(NTFS_ATTRIBUTES), std::end(NTFS_ATTRIBUTES), name) ==
                                          std::end(NTFS_ATTRIBUTES)) {
            *failed = L"extended attribute " + WideText(name);
            return false;
        }
    }
    return true;
}

std::wstring OwnerText(const struct stat &status)
{
    return L"owner " + std::to_wstring(status.st_uid) + L" and group " + std::to_wstring(status.st_gid);
}

std::wstring ModeText(const struct stat &status)
{
    wchar_t text[8];
    swprintf(text, 8, L"%04o", static_cast<unsigned>(status.st_mode & MODE_BITS));
    return L"mode " + std::wstring(text);
}

// What "to" alone has is removed, and what differs set.
bool SetAttributes(const std::string &from, const std::string &to, const Attributes &wanted, std::wstring *reason)
{
    Attributes present;
    std::wstring failed;
    if (!ReadAttributes(to, &present, &failed))
        return Fail(reason, L"cannot read, before setting it, the " + failed, from, to);
    for (const auto &attribute : present)
        if (!wanted.count(attribute.first) && removexattr(to.c_str(), attribute.first.c_str()) != 0)
            return Fail(reason, L"cannot remove the extended attribute " + WideText(attribute.first) + L", absent",
                        from, to);
    for (const auto &attribute : wanted) {
        auto found = present.find(attribute.first);
        if ((found == present.end() || found->second != attribute.second) &&
            setxattr(to.c_str(), attribute.first.c_str(), attribute.second.data(), attribute.second.size(), 0) != 0)
            return Fail(reason, L"cannot set the extended attribute " + WideText(attribute.first), from, to);
    }
    return true;
}

bool AttributesKept(const std::string &from, const std::string &to, const Attributes &wanted, std::wstring *reason)
{
    Attributes given;
    std::wstring failed;
    if (!ReadAttributes(to, &given, &failed))
        return Fail(reason, L"cannot read back the " + failed, from, to);
    for (const auto &attribute : wanted) {
        auto found = given.find(attribute.first);
        if (found == given.end() || found->second != attribute.second)
            return Unkept(reason, L"extended attribute " + WideText(attribute.first), from, to);
    }
    return true;
}

}  // namespace

bool CopyFileMetadata(const std::string &from, const std::string &to, std::wstring *reason)
{
    struct stat wanted, present;
    Attributes attributes;
    std::wstring failed;
    if (stat(from.c_str(), &wanted) != 0)
        return Fail(reason, L"cannot read the owner, group and mode", from, to);
    if (!ReadAttributes(from, &attributes, &failed))
        return Fail(reason, L"cannot read the " + failed, from, to);
    if (stat(to.c_str(), &present) != 0)
        return Fail(reason, L"cannot read the owner, group and mode before setting those", from, to);
    if ((present.st_uid != wanted.st_uid || present.st_gid != wanted.st_gid) &&
        chown(to.c_str(), wanted.st_uid, wanted.st_gid) != 0)
        return Fail(reason, L"cannot set the " + OwnerText(wanted), from, to);
    if (!SetAttributes(from, to, attributes, reason))
        return false;
    // An ACL's attribute sets the mode too, and the mode the ACL: the mode is
    // set after the attributes, and only when they left it different. (It
    // comes after chown, too, which clears the set-user-ID bits.)
    if (stat(to.c_str(), &present) != 0)
        return Fail(reason, L"cannot read the owner, group and mode before setting the mode", from, to);
    if ((present.st_mode & MODE_BITS) != (wanted.st_mode & MODE_BITS) &&
        chmod(to.c_str(), wanted.st_mode & MODE_BITS) != 0)
        return Fail(reason, L"cannot set the " + ModeText(wanted), from, to);
    if (!AttributesKept(from, to, attributes, reason))
        return false;
    struct stat given;
    if (stat(to.c_str(), &given) != 0)
        return Fail(reason, L"cannot read back the owner, group and mode", from, to);
    if (given.st_uid != wanted.st_uid || given.st_gid != wanted.st_gid)
        return Unkept(reason, OwnerText(wanted), from, to);
    if ((given.st_mode & MODE_BITS) != (wanted.st_mode & MODE_BITS))
        return Unkept(reason, ModeText(wanted), from, to);
    return true;
}

}  // namespace winsim
