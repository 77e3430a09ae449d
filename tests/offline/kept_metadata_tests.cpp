// A hive that vxclean-offline writes anew, and its backups, keep what the old
// file was besides its bytes: owner, group, mode and extended attributes, the
// NTFS security descriptor and attributes among them on a real NTFS volume.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "windows_volume.h"

namespace {

// Owner BUILTIN\Administrators, group SYSTEM, and full control for SYSTEM,
// the administrators and the profile's user: not what ntfs-3g gives a file.
const char PROFILE_SECURITY[] = "010004801400000024000000000000003000000001020000000000052000000020020000010100000000"
                                "000512000000020058000300000000001400ff011f0001010000000000051200000000001800ff011f"
                                "000102000000000005200000002002000000002400ff011f00010500000000000515000000c7f7fed77c"
                                "7755c8945ace01f5030000";
// Hidden, system and archive, as Windows has its hives' files, big-endian.
const char HIDDEN_SYSTEM[] = "00000026";
const char NTFS_NAMES[][24] = {"system.ntfs_acl", "system.ntfs_attrib_be", "system.ntfs_attrib"};
const char USER_ATTRIBUTE[] = "user.vxclean.kept";

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

std::string Bytes(const std::string &hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string Hex(const std::string &bytes)
{
    std::string hex;
    for (unsigned char c : bytes)
        hex += "0123456789abcdef"[c >> 4] + std::string(1, "0123456789abcdef"[c & 15]);
    return hex;
}

std::string Attribute(const std::string &file, const std::string &name)
{
    char value[65536];
    ssize_t size = getxattr(file.c_str(), name.c_str(), value, sizeof value);
    return size < 0 ? "" : std::string(value, static_cast<size_t>(size));
}

// Owner, group and mode, and each extended attribute the file lists or the
// NTFS driver answers by name, as lines.
std::string Metadata(const std::string &file)
{
    struct stat status;
    EXPECT_EQ(0, stat(file.c_str(), &status)) << file;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
    std::string text =
        "owner " + std::to_string(status.st_uid) + ":" + std::to_string(status.st_gid) + " mode " + mode + "\n";
    char list[65536];
    ssize_t size = listxattr(file.c_str(), list, sizeof list);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(list + at)) + 1)
        text += std::string(list + at) + "=" + Hex(Attribute(file, list + at)) + "\n";
    for (const char *name : NTFS_NAMES)
        if (getxattr(file.c_str(), name, nullptr, 0) >= 0)
            text += std::string(name) + "=" + Hex(Attribute(file, name)) + "\n";
    return text;
}

void Set(const std::string &file, const std::string &name, const std::string &value)
{
    EXPECT_EQ(0, setxattr(file.c_str(), name.c_str(), value.data(), value.size(), 0))
        << file << " " << name << ": " << std::strerror(errno);
}

void Own(const std::string &file, uid_t owner, gid_t group, mode_t mode)
{
    EXPECT_EQ(0, chown(file.c_str(), owner, group)) << file;
    EXPECT_EQ(0, chmod(file.c_str(), mode)) << file;
}

enum class FileSystem { TESTS_OWN, NTFS_3G };

// The volume on the file system the tests run on, or on an NTFS file system
// made in an image and mounted by ntfs-3g over the test's folder.
class KeptMetadataTest : public VolumeTest, public testing::WithParamInterface<FileSystem> {
  protected:
    void SetUp() override
    {
        HiveTest::SetUp();
        if (GetParam() == FileSystem::NTFS_3G)
            MountNtfs();
        if (!IsSkipped() && !HasFatalFailure())
            LayOutWithProducts();
    }

    void TearDown() override
    {
        if (mounted) {
            EXPECT_EQ(0, std::system(("umount '" + folder + "'").c_str())) << folder;
        }
        if (!image.empty() && !HasFailure())
            std::filesystem::remove(image);
        HiveTest::TearDown();
    }

    void MountNtfs()
    {
        if (std::system("command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null") != 0)
            GTEST_SKIP() << "mkntfs or ntfs-3g is missing (Debian package ntfs-3g)";
        if (access("/dev/fuse", R_OK | W_OK) != 0)
            GTEST_SKIP() << "no /dev/fuse that ntfs-3g could use";
        image = folder + ".ntfs";
        ASSERT_EQ(0, std::system(
                         ("truncate -s 128M '" + image + "' && mkntfs -F -f -q '" + image + "' 2>/dev/null").c_str()));
        if (std::system(("ntfs-3g '" + image + "' '" + folder + "' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "mounting a file system with ntfs-3g is not permitted here";
        mounted = true;
    }

    std::string image;
    bool mounted = false;
};

// A log beside the user's hive is backed up with it. On the tests' own file
// system the files get owners, groups and modes that a new file would not
// have, and a user attribute where it has them; on NTFS the files get a
// security descriptor, hidden and system attributes and a named stream.
TEST_P(KeptMetadataTest, TheNewHivesAndTheirBackupsKeepTheOldFilesOwnerModeAndAttributes)
{
    const std::string log = users[0] + ".LOG1";
    std::ofstream(log).flush();
    const std::string fresh = folder + "/fresh";
    std::ofstream(fresh).flush();
    bool userAttributes = setxattr(fresh.c_str(), USER_ATTRIBUTE, "1", 1, 0) == 0;
    if (GetParam() == FileSystem::NTFS_3G) {
        for (const std::string &file : {system, users[0], log})
            Set(file, "system.ntfs_acl", Bytes(PROFILE_SECURITY));
        for (const std::string &file : {users[0], log})
            Set(file, "system.ntfs_attrib_be", Bytes(HIDDEN_SYSTEM));
    } else {
        Own(users[0], 1234, 5678, 0600);
        Own(log, 4321, 8765, 0640);
        Own(system, 0, 5678, 0640);
    }
    if (userAttributes)
        Set(users[0], USER_ATTRIBUTE, "the profile's");

    std::map<std::string, std::string> before;
    for (const std::string &file : {system, users[0], log}) {
        before[file] = Metadata(file);
        EXPECT_NE(Metadata(fresh), before[file]) << file << " has what a new file gets";
    }
    Run removal = RunProgram("--yes '" + volume + "'");
    ASSERT_EQ(0, removal.status) << removal.output;
    for (const std::string &hive : {system, users[0]})
        ASSERT_TRUE(Contains(removal.output, "Written: " + hive)) << removal.output;
    for (const auto &file : before) {
        EXPECT_EQ(file.second, Metadata(file.first)) << file.first;
        std::vector<std::string> backups = FilesBeside(file.first, ".vxclean-");
        ASSERT_EQ(1u, backups.size()) << file.first;
        EXPECT_EQ(file.second, Metadata(backups[0])) << backups[0];
    }
    if (!userAttributes)
        GTEST_SKIP() << "owner, group and mode checked; user attributes not, this file system has none";
}

INSTANTIATE_TEST_SUITE_P(FileSystems, KeptMetadataTest, testing::Values(FileSystem::TESTS_OWN, FileSystem::NTFS_3G),
                         [](const testing::TestParamInfo<FileSystem> &info) {
                             return info.param == FileSystem::NTFS_3G ? "Ntfs3g" : "TestsOwn";
                         });

// The program run by a user to whom the volume is given, not by root: the
// user's hive, which that user may write through its group, belongs to
// another, whom no new file that user makes can be given to.
TEST_F(VolumeTest, ARemovalIsRefusedWhereANewHiveCouldNotKeepTheOldOnesOwner)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give the volume to one user and a hive in it to another";
    ASSERT_EQ(0, std::system(("chown -R 65534:65534 '" + volume + "'").c_str()));
    Own(users[0], 1234, 65534, 0660);
    const std::string before = Metadata(users[0]);
    std::map<std::string, std::string> files = VolumeFiles();
    Run removal = RunProgram("--yes '" + volume + "'", "setpriv --reuid=65534 --regid=65534 --clear-groups ");
    EXPECT_EQ(2, removal.status) << removal.output;
    EXPECT_TRUE(Contains(removal.output, "cannot set the owner 1234 and group 65534 of " + users[0]) &&
                Contains(removal.output, "Operation not permitted") &&
                Contains(removal.output, "Nothing was changed") &&
                Contains(removal.output, "Run vxclean-offline as root"))
        << removal.output;
    EXPECT_TRUE(files == VolumeFiles());
    EXPECT_EQ(before, Metadata(users[0]));
}

}  // namespace
