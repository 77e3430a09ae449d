// Real hives from Windows machines, mounted into the registry and written
// back, checked against hivex's own export of the files.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <winsim/control.h>
#include <winsim/offline_hives.h>

#include "hive_base_block.h"
#include "hive_fixture.h"
#include "hive_names.h"
#include "log_writer.h"
#include "registry_helpers.h"
#include "replayed_copy.h"

namespace {

const std::vector<std::wstring> SYSTEM_PATH = {L"MACHINE", L"SYSTEM"};
const std::wstring CONTROL = L"SYSTEM\\ControlSet001\\Control";
const std::wstring COMPUTER_NAME = CONTROL + L"\\ComputerName\\ComputerName";
const std::wstring DELETED_TREE = L"SYSTEM\\ControlSet001\\services\\Tcpip";
const std::wstring ADDED_KEY = L"SYSTEM\\ControlSet001\\services\\VxNew \x041A\x043B\x044E\x0447";
const std::vector<std::wstring> CLASSES_PATH = {L"USER", L"S-1-5-21-1-2-3-1001_Classes"};
const std::wstring CLASSES_KEY = CLASSES_PATH[1];
// A tree of keys that only the logs of UsrClass.dat hold.
const std::string FROM_THE_LOGS_ASCII = "Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU\\10";
const std::wstring FROM_THE_LOGS(FROM_THE_LOGS_ASCII.begin(), FROM_THE_LOGS_ASCII.end());
const std::string FROM_THE_LOGS_EXPORTED = "[HKEY_CURRENT_USER\\" + FROM_THE_LOGS_ASCII;

std::vector<BYTE> Utf16(const std::wstring &text)
{
    std::vector<BYTE> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

// $TMPDIR for the test's time.
class TemporaryFolder {
  public:
    explicit TemporaryFolder(const std::string &folder)
    {
        const char *was = std::getenv("TMPDIR");
        saved = was ? std::unique_ptr<std::string>(new std::string(was)) : nullptr;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TemporaryFolder()
    {
        if (saved)
            setenv("TMPDIR", saved->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

  private:
    std::unique_ptr<std::string> saved;
};

template <class Set> Set Minus(const Set &a, const Set &b)
{
    Set rest;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(rest, rest.end()));
    return rest;
}

TEST_F(HiveTest, AMountedSystemHiveHoldsWhatHivexReadsInItWithCurrentControlSetLinked)
{
    std::string hive = Unpack("SYSTEM");
    winsim::MountedHive mounted;
    std::wstring reason;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
    std::printf("SYSTEM hive mounted in %.2f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

    std::string exported = folder + "/export.reg";
    HivexExport(hive, "HKEY_LOCAL_MACHINE\\EXPORTED", exported);
    ASSERT_TRUE(winsim::ImportRegistryFile(exported, &reason)) << reason;
    std::multiset<std::wstring> loaded = TreeEntries(HKEY_LOCAL_MACHINE, L"SYSTEM");
    std::multiset<std::wstring> expected = TreeEntries(HKEY_LOCAL_MACHINE, L"EXPORTED");
    std::multiset<std::wstring> link = {L"\\CurrentControlSet", L"\\CurrentControlSet|SymbolicLinkValue|6|" + [] {
                                            std::wstring bytes;
                                            for (BYTE b : Utf16(L"\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001"))
                                                bytes += std::to_wstring(b) + L",";
                                            return bytes;
                                        }()};
    EXPECT_GT(expected.size(), 100000u);
    EXPECT_EQ(link, Minus(loaded, expected));
    EXPECT_TRUE(Minus(expected, loaded).empty()) << "first missing: " << *Minus(expected, loaded).begin()->c_str();

    DWORD type;
    std::vector<BYTE> current, direct;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                           L"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\"
                                           L"ComputerName",
                                           0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, winsim::GetStoredValue(key, L"ComputerName", &type, &current));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, COMPUTER_NAME.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, winsim::GetStoredValue(key, L"ComputerName", &type, &direct));
    RegCloseKey(key);
    EXPECT_EQ(direct, current);
    EXPECT_EQ(Utf16(std::wstring(L"WKS-WIN732BITA") + L'\0'), direct);
}

TEST_F(HiveTest, SavingWritesOnlyTheChangesAfterABackupOfTheOriginal)
{
    std::string hive = Unpack("SYSTEM");
    std::string original = FileBytes(hive);
    winsim::MountedHive mounted;
    std::wstring reason;
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;

    RemoveTestTree(HKEY_LOCAL_MACHINE, DELETED_TREE);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, CONTROL.c_str(), 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, L"CurrentUser"));
    RegCloseKey(key);
    std::vector<BYTE> newName = Utf16(std::wstring(L"OFFLINE") + L'\0');
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, COMPUTER_NAME.c_str(), 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_SUCCESS, winsim::SetStoredValue(key, L"ComputerName", REG_SZ, newName));
    RegCloseKey(key);
    std::vector<BYTE> odd = {1, 2, 3};
    add_value(HKEY_LOCAL_MACHINE, ADDED_KEY, L"Odd", 0x20000, odd);

    winsim::SetLocalClock(2026, 12, 7, 10, 30, 0);
    bool written;
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_TRUE(written);
    EXPECT_EQ((std::vector<std::string>{"SYSTEM", "SYSTEM.vxclean-20261207-103000"}), FilesInFolder());
    EXPECT_TRUE(original == FileBytes(hive + ".vxclean-20261207-103000"));

    std::string prefix = "HKEY_LOCAL_MACHINE\\SYSTEM";
    std::multiset<std::string> before = HivexEntries(hive + ".vxclean-20261207-103000", prefix);
    std::multiset<std::string> after = HivexEntries(hive, prefix);
    const std::string control = "[" + prefix + "\\ControlSet001\\Control]";
    const std::string name = "[" + prefix + "\\ControlSet001\\Control\\ComputerName\\ComputerName]\n";
    size_t treeEntries = 0;
    for (const std::string &lost : Minus(before, after)) {
        bool inTree = lost.rfind("[" + prefix + "\\ControlSet001\\services\\Tcpip", 0) == 0;
        treeEntries += inTree;
        EXPECT_TRUE(inTree || lost.rfind(control + "\n\"CurrentUser\"=", 0) == 0 ||
                    lost.rfind(name + "\"ComputerName\"=", 0) == 0)
            << lost;
    }
    EXPECT_GT(treeEntries, 20u);
    EXPECT_EQ(before.size() - treeEntries - 2 + 3, after.size());
    std::multiset<std::string> gained = Minus(after, before);
    EXPECT_EQ(1u, gained.count(name + "\"ComputerName\"=hex(1):4f,00,46,00,46,00,4c,00,49,00,4e,00,45,00,00,00"));
    EXPECT_EQ(3u, gained.size());

    // A second save of the same mount keeps the one backup of the original;
    // a save of another mount in the same second makes a backup of its own.
    add_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxSecondSave");
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_TRUE(written);
    EXPECT_EQ((std::vector<std::string>{"SYSTEM", "SYSTEM.vxclean-20261207-103000"}), FilesInFolder());
    EXPECT_TRUE(original == FileBytes(hive + ".vxclean-20261207-103000"));
    std::string saved = FileBytes(hive);
    winsim::ResetMachine();
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
    add_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxThirdSave");
    winsim::SetLocalClock(2026, 12, 7, 10, 30, 0);
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_TRUE(saved == FileBytes(hive + ".vxclean-20261207-103000-2"));

    winsim::ResetMachine();
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
    verify_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxSecondSave");
    verify_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxThirdSave");
    verify_key_nonexist(HKEY_LOCAL_MACHINE, DELETED_TREE);
    DWORD type;
    std::vector<BYTE> data;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, COMPUTER_NAME.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, winsim::GetStoredValue(key, L"ComputerName", &type, &data));
    RegCloseKey(key);
    EXPECT_EQ(newName, data);
    verify_reg(HKEY_LOCAL_MACHINE, ADDED_KEY, L"Odd", 0x20000, odd);
}

std::string HexByte(char c)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02x", static_cast<unsigned char>(c));
    return text;
}

// Windows carries out what waits for its restart from the control set it
// starts with, which is the one that CurrentControlSet links to offline.
TEST_F(HiveTest, ADeletionLeftForTheRestartIsWrittenIntoTheControlSetWindowsStartsWith)
{
    std::string hive = Unpack("SYSTEM");
    winsim::MountedHive mounted;
    std::wstring reason;
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
    winsim::UseFolderAsDriveC(folder);
    std::filesystem::create_directories(folder + "/Windows/system32");
    std::ofstream(folder + "/Windows/system32/vxtls.dll") << "MZ";
    ASSERT_TRUE(MoveFileExW(L"C:\\Windows\\system32\\vxtls.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    bool written;
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    std::multiset<std::string> after = HivexEntries(hive, "HKEY_LOCAL_MACHINE\\SYSTEM");
    std::string pending = "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Session Manager]\n"
                          "\"PendingFileRenameOperations\"=hex(7):";
    std::string path;
    for (char c : std::string("\\??\\C:\\Windows\\system32\\vxtls.dll"))
        path += HexByte(c) + ",00,";
    EXPECT_EQ(1u, std::count_if(after.begin(), after.end(), [&](const std::string &entry) {
                  return entry.rfind(pending, 0) == 0 && entry.find(path) != std::string::npos;
              }));
}

// A dirty hive's logs replayed: read from a private copy, written whole and
// clean only when the run changed it, its logs then emptied.
TEST_F(HiveTest, ADirtyHiveIsReadWithItsLogsReplayedAndWrittenCleanOnlyWhenChanged)
{
    const std::vector<std::string> files = {"UsrClass.dat", "UsrClass.dat.LOG1", "UsrClass.dat.LOG2"};
    std::string hive = UnpackDirtyClasses();
    std::vector<std::string> originals;
    for (const std::string &name : files)
        originals.push_back(FileBytes(folder + "/" + name));
    std::string temporary = folder + "/tmp";
    mkdir(temporary.c_str(), 0700);
    TemporaryFolder privateCopies(temporary);
    winsim::MountedHive mounted;
    std::wstring reason;
    ASSERT_TRUE(winsim::MountHive(hive, CLASSES_PATH, &mounted, &reason)) << reason;
    EXPECT_EQ(L"Replayed 14 log entries (158 pages) from " + winsim::WideText(hive) + L".LOG1 and " +
                  winsim::WideText(hive) + L".LOG2 into a copy of " + winsim::WideText(hive),
              mounted.replayNote);
    EXPECT_TRUE(mounted.logFaults.empty());
    verify_key(HKEY_USERS, CLASSES_KEY + L"\\" + FROM_THE_LOGS + L"\\0\\0");
    // The copy lies in $TMPDIR under no name, so that nothing is left there
    // however the program ends; hivex reaches it through its descriptor.
    const std::string source = mounted.replayed->SourceOf(mounted);
    EXPECT_EQ(0u, std::filesystem::read_symlink(source).string().rfind(temporary + "/vxclean-replayed-", 0));
    EXPECT_TRUE(FilesIn(temporary).empty());
    std::string replayed = temporary + "/replayed";
    std::filesystem::copy_file(source, replayed);
    mounted.replayed = nullptr;
    EXPECT_FALSE(std::filesystem::exists(source));
    std::multiset<std::string> logged = HivexEntries(replayed, "HKEY_CURRENT_USER");

    ASSERT_TRUE(winsim::MountHive(hive, CLASSES_PATH, &mounted, &reason)) << reason;
    bool written = true;
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_FALSE(written);
    EXPECT_EQ((std::vector<std::string>{"UsrClass.dat", "UsrClass.dat.LOG1", "UsrClass.dat.LOG2", "tmp"}),
              FilesInFolder());
    RemoveTestTree(HKEY_USERS, CLASSES_KEY + L"\\" + FROM_THE_LOGS);
    winsim::SetLocalClock(2026, 12, 7, 11, 0, 0);
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_TRUE(written);
    mounted = winsim::MountedHive();
    EXPECT_EQ(std::vector<std::string>{"replayed"}, FilesIn(temporary));

    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_TRUE(originals[i] == FileBytes(folder + "/" + files[i] + ".vxclean-20261207-110000")) << files[i];
        EXPECT_TRUE(i == 0 || FileBytes(folder + "/" + files[i]).empty()) << files[i];
    }
    std::multiset<std::string> kept;
    for (const std::string &entry : logged)
        if (entry.rfind(FROM_THE_LOGS_EXPORTED + "]", 0) != 0 && entry.rfind(FROM_THE_LOGS_EXPORTED + "\\", 0) != 0)
            kept.insert(entry);
    EXPECT_GT(logged.size() - kept.size(), 6u);
    EXPECT_TRUE(kept == HivexEntries(hive, "HKEY_CURRENT_USER"));
    winsim::BaseBlock base;
    EXPECT_TRUE(winsim::ReadBaseBlock(ReadBytes(hive), &base) && !winsim::IsDirty(base));

    winsim::ResetMachine();
    ASSERT_TRUE(winsim::MountHive(hive, CLASSES_PATH, &mounted, &reason)) << reason;
    EXPECT_FALSE(mounted.replayed);
    EXPECT_TRUE(mounted.replayNote.empty());
    verify_key_nonexist(HKEY_USERS, CLASSES_KEY + L"\\" + FROM_THE_LOGS);
}

TEST_F(HiveTest, ALogThatStopsEarlyIsNamedAndTheHiveReadWithWhatCameBefore)
{
    std::string hive = UnpackDirtyClasses();
    ASSERT_EQ(0, truncate((hive + ".LOG2").c_str(), 30000));  // in its second entry
    winsim::MountedHive mounted;
    std::wstring reason;
    ASSERT_TRUE(winsim::MountHive(hive, CLASSES_PATH, &mounted, &reason)) << reason;
    EXPECT_NE(std::wstring::npos, mounted.replayNote.find(L"Replayed 5 log entries (56 pages)")) << mounted.replayNote;
    EXPECT_EQ(std::vector<std::wstring>{winsim::WideText(hive) +
                                        L".LOG2: the log entry at byte 24576 runs past the end of the log: 126976 "
                                        L"bytes where 5424 are left (" +
                                        winsim::WideText(hive) + L" is read with what came before)"},
              mounted.logFaults);
}

}  // namespace
