// Hives that Windows left unfinished or that are damaged: mounted as Windows
// would load them, with a word on what may be missing, or refused saying in
// words what is wrong with them.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include <winsim/control.h>
#include <winsim/offline_hives.h>

#include "hive_base_block.h"
#include "hive_fixture.h"
#include "hive_names.h"
#include "little_endian.h"
#include "log_writer.h"
#include "registry_helpers.h"

namespace {

const std::vector<std::wstring> SYSTEM_PATH = {L"MACHINE", L"SYSTEM"};
const std::vector<std::wstring> USER_PATH = {L"USER", L"S-1-5-21-1-2-3-1001"};
const std::wstring USER_KEY = USER_PATH[1];
// A key that the hive's newest write holds in its log alone.
const std::wstring IN_THE_LOG_ONLY = USER_KEY + L"\\VxWrittenToTheLogOnly";
// Bytes of the base block that its checksum covers and nothing reads: the
// hive's own file name.
const size_t FILE_NAME_AT = 48;

// Leaves the base block as a write of it cut short does: its checksum wrong.
void TearFirstBlock(const std::string &file)
{
    winsim::HiveBytes bytes = ReadBytes(file);
    bytes[FILE_NAME_AT] ^= 0xFF;
    WriteBytes(file, bytes);
}

// A log of the Windows 8.1 format whose copy of the base block and one entry,
// holding no page, are older than the primary file's last complete write.
winsim::HiveBytes EarlierLog(const winsim::HiveBytes &primary)
{
    winsim::HiveBytes earlier = primary;
    uint32_t lastWrite = winsim::ReadLe32(&primary[8]);
    SetSequences(earlier, lastWrite - 1, lastWrite - 2);
    return NewFormatLog(earlier, earlier);
}

// Windows was writing the base block when it stopped, and takes it from the
// log it replays: of the Windows 8.1 format, the one written last.
TEST_F(HiveTest, AHiveWhoseFirstBlockIsTornTakesTheCopyInItsLogOrIsRefusedInWords)
{
    const std::string hive = folder + "/NTUSER.DAT", log1 = hive + ".LOG1", log2 = hive + ".LOG2";
    Unpack("NTUSER.DAT", hive);
    const winsim::HiveBytes before = ReadBytes(hive);
    winsim::MountedHive mounted;
    std::wstring reason;
    ASSERT_TRUE(winsim::MountHive(hive, USER_PATH, &mounted, &reason)) << reason;
    add_key(HKEY_USERS, IN_THE_LOG_ONLY);
    bool written;
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    const winsim::HiveBytes changed = ReadBytes(hive);

    const std::wstring refused = L"cannot open the hive " + winsim::WideText(hive) +
                                 L": its first block is damaged (Windows was interrupted writing it) and no "
                                 L"transaction log beside it holds a good copy of that block";
    struct Case {
        const char *what;
        bool newFormat;
        std::function<void()> make;
        std::string copyFrom;  // the log whose copy is taken; none when the hive is refused
    } cases[] = {
        {"a log of the Windows 8.1 format", true, [] {}, log1},
        {"a log of the older format", false, [] {}, log1},
        {"the later of two logs", true,
         [&] {
             std::filesystem::rename(log1, log2);
             WriteBytes(log1, EarlierLog(ReadBytes(hive)));
         },
         log2},
        {"a log whose copy is torn too", true, [&] { TearFirstBlock(log1); }, ""},
        {"no log", true,
         [&] {
             std::filesystem::remove(log1);
             std::filesystem::remove(log2);
         },
         ""},
    };
    for (const Case &c : cases) {
        winsim::ResetMachine();
        WriteBytes(hive, changed);
        LeaveAsCrashed(hive, before, c.newFormat);
        TearFirstBlock(hive);
        c.make();
        mounted = winsim::MountedHive();
        bool mountedHive = winsim::MountHive(hive, USER_PATH, &mounted, &reason);
        if (c.copyFrom.empty()) {
            EXPECT_FALSE(mountedHive) << c.what;
            EXPECT_EQ(0u, reason.find(refused)) << c.what << ": " << reason.c_str();
            verify_key_nonexist(HKEY_USERS, USER_KEY);
            continue;
        }
        ASSERT_TRUE(mountedHive) << c.what << ": " << reason.c_str();
        verify_key(HKEY_USERS, IN_THE_LOG_ONLY);
        std::wstring note = mounted.replayNote;
        EXPECT_EQ(0u, note.find(L"Replayed 1 log entry (")) << c.what << ": " << note.c_str();
        std::wstring taken = L", its first block taken from " + winsim::WideText(c.copyFrom) +
                             L" since the hive's own is damaged (Windows was interrupted writing it)";
        EXPECT_EQ(note.size() - taken.size(), note.rfind(taken)) << c.what << ": " << note.c_str();
    }
}

// Windows loads a dirty hive whose logs hold nothing as it stands: the run
// says so, and does not write the hive unless it changes it.
TEST_F(HiveTest, ADirtyHiveWithoutLogsMountsWithAWarningAndUnchangedIsNotWritten)
{
    const std::string hive = Unpack("SYSTEM_2");
    const std::string original = FileBytes(hive);
    const std::vector<std::wstring> warning = {
        L"Windows did not finish writing the hive " + winsim::WideText(hive) +
        L" and no transaction log beside it holds the rest: it is read as it stands, and its last changes may be "
        L"missing"};
    for (const std::vector<std::string> &logs : {std::vector<std::string>{}, {".LOG1", ".LOG2"}}) {
        std::vector<std::string> files = {"SYSTEM_2"};
        for (const std::string &log : logs) {
            WriteBytes(hive + log, {});
            files.push_back("SYSTEM_2" + log);
        }
        winsim::MountedHive mounted;
        std::wstring reason;
        ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
        EXPECT_EQ(warning, mounted.logFaults) << logs.size() << " logs";
        EXPECT_TRUE(mounted.replayNote.empty());
        verify_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Lsa");
        bool written = true;
        ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
        EXPECT_FALSE(written);
        EXPECT_EQ(files, FilesInFolder());
        EXPECT_TRUE(original == FileBytes(hive));
    }
}

std::string Written(const std::string &file, const std::string &bytes)
{
    WriteBytes(file, winsim::HiveBytes(bytes.begin(), bytes.end()));
    return file;
}

TEST_F(HiveTest, HivesThatCannotBeUsedAreRefusedSayingWhatIsWrongAndTheRegistryUntouched)
{
    const std::string system = Unpack("SYSTEM");
    const std::string bytes = FileBytes(system);
    winsim::BaseBlock base;
    ASSERT_TRUE(winsim::ReadBaseBlock(winsim::HiveBytes(bytes.begin(), bytes.end()), &base));
    const size_t firstCell = winsim::BASE_BLOCK_SIZE + 32;
    std::string garbage = bytes;
    garbage.replace(firstCell, 64, 64, '\xA5');
    // The root key's subkey list: the base block gives the root key's cell at
    // byte 36, and the list follows the cell's size and 28 bytes of the key.
    std::string pointsOutside = bytes;
    size_t rootKey = winsim::BASE_BLOCK_SIZE + winsim::ReadLe32(reinterpret_cast<const unsigned char *>(&bytes[36]));
    winsim::WriteLe32(reinterpret_cast<unsigned char *>(&pointsOutside[rootKey + 32]), 0x7ffffff0);
    const std::string directory = folder + "/folder";
    mkdir(directory.c_str(), 0700);

    struct Refusal {
        std::string file;
        std::wstring says;
    } refusals[] = {
        {Written(folder + "/empty", ""), L"cannot open the hive %s: it is empty"},
        {Written(folder + "/zeros", std::string(65536, '\0')),
         L"cannot open the hive %s: it is not a registry hive (it does not start with regf)"},
        {Written(folder + "/cut", bytes.substr(0, 3 * 4096 + 100)),
         L"cannot open the hive %s: it is cut short: its header says " + std::to_wstring(base.binsSize) +
             L" bytes of hive bins but the file holds 8292 bytes"},
        {Written(folder + "/garbage", garbage), L"cannot open the hive %s: it is damaged: the cell at byte 4128 gives "
                                                L"a size of 1515870811 bytes, which no cell has"},
        {Written(folder + "/outside", pointsOutside),
         L"cannot read the subkeys of the key USER\\S-1-5-21-1-2-3-1001 in the hive %s: the hive is damaged there"},
        {directory, L"cannot open the hive %s: it is a folder, not a file"},
        {folder + "/missing", L"cannot open the hive %s: No such file or directory"},
    };
    for (const Refusal &refusal : refusals) {
        winsim::MountedHive mounted;
        std::wstring reason;
        std::wstring says = refusal.says;
        says.replace(says.find(L"%s"), 2, winsim::WideText(refusal.file));
        EXPECT_FALSE(winsim::MountHive(refusal.file, USER_PATH, &mounted, &reason)) << refusal.file;
        EXPECT_EQ(0u, reason.find(says)) << reason.c_str();
        for (const wchar_t *errorText : {L"Bad address", L"Operation not supported", L"Invalid argument"})
            EXPECT_EQ(std::wstring::npos, reason.find(errorText)) << reason.c_str();
        verify_key_nonexist(HKEY_USERS, USER_KEY);
    }

    winsim::MountedHive mounted;
    std::wstring reason;
    ASSERT_TRUE(winsim::MountHive(system, SYSTEM_PATH, &mounted, &reason)) << reason;
    add_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxChanged");
    std::remove(system.c_str());
    bool written = true;
    EXPECT_FALSE(winsim::SaveHive(mounted, &written, &reason));
    EXPECT_FALSE(written);
    EXPECT_NE(std::wstring::npos, reason.find(L"for writing: No such file or directory")) << reason.c_str();
}

}  // namespace
