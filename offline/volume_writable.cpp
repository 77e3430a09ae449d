// Before a removal changes anything: the volume and every file and folder
// that saving a hive writes (the hive, its backups and its new file beside it)
// can be written, and a new file beside each hive can be given the hive's
// owner, mode and attributes, so that a read-only volume is refused with
// nothing changed rather than failing halfway, with files removed and hives
// not written.
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "offline_program.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

std::wstring Refusal(const std::string &root, const std::wstring &what)
{
    return what + L". Nothing was changed. Mount the volume read-write (with ntfs3: mount -o remount,rw " +
           winsim::DecodeUtf8(root.c_str()) +
           L"; ntfs-3g cannot remount: unmount it and mount it again) and make its hives and their folders "
           L"writable, then run again; --show reports without writing.";
}

bool Writable(const std::string &root, const std::string &path, std::wstring *reason)
{
    if (access(path.c_str(), W_OK) == 0)
        return true;
    *reason = Refusal(root, winsim::DecodeUtf8(path.c_str()) + L" cannot be written: " +
                                winsim::DecodeUtf8(std::strerror(errno)));
    return false;
}

// A hive written anew must keep its owner, mode and NTFS security, or it can
// become readable by all or fail to load in Windows.
bool MetadataKept(const std::string &hive, std::wstring *reason)
{
    if (winsim::HiveMetadataCopyable(hive, reason))
        return true;
    *reason += L". Nothing was changed. Run vxclean-offline as root, on the volume mounted read-write with a driver "
               L"and options that let a new file take a hive's owner, group, mode and extended attributes (ntfs-3g's "
               L"default options do), then run again; --show reports without writing.";
    return false;
}

}  // namespace

bool VolumeWritable(const std::string &root, const std::vector<winsim::MountedHive> &mounts, std::wstring *reason)
{
    struct statvfs volume;
    if (statvfs(root.c_str(), &volume) != 0) {
        *reason = L"cannot tell whether " + winsim::DecodeUtf8(root.c_str()) + L" can be written: " +
                  winsim::DecodeUtf8(std::strerror(errno));
        return false;
    }
    if (volume.f_flag & ST_RDONLY) {
        *reason = Refusal(root, winsim::DecodeUtf8(root.c_str()) + L" is mounted read-only");
        return false;
    }
    for (const winsim::MountedHive &mounted : mounts)
        if (!Writable(root, mounted.file, reason) ||
            !Writable(root, std::filesystem::path(mounted.file).parent_path(), reason) ||
            !MetadataKept(mounted.file, reason))
            return false;
    return true;
}

}  // namespace offline
