// Real hives from Windows machines, mounted into the registry and written
// back, checked against hivex's own export of the files.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <winsim/control.h>
#include <winsim/offline_hives.h>

#include "hive_fixture.h"
#include "registry_helpers.h"

namespace {

const std::vector<std::wstring> SYSTEM_PATH = {L"MACHINE", L"SYSTEM"};
const std::wstring CONTROL = L"SYSTEM\\ControlSet001\\Control";
const std::wstring COMPUTER_NAME = CONTROL + L"\\ComputerName\\ComputerName";
const std::wstring DELETED_TREE = L"SYSTEM\\ControlSet001\\services\\Tcpip";
const std::wstring ADDED_KEY = L"SYSTEM\\ControlSet001\\services\\VxNew \x041A\x043B\x044E\x0447";

std::vector<BYTE> Utf16(const std::wstring &text)
{
    std::vector<BYTE> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

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

    std::string saved = FileBytes(hive);
    add_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxSecondSave");
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_TRUE(saved == FileBytes(hive + ".vxclean-20261207-103000-2"));

    winsim::ResetMachine();
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
    verify_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\VxSecondSave");
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

TEST_F(HiveTest, ADirtyHiveWithoutLogsMountsAndUnchangedIsNotWritten)
{
    std::string hive = Unpack("SYSTEM_2");
    std::string original = FileBytes(hive);
    winsim::MountedHive mounted;
    std::wstring reason;
    ASSERT_TRUE(winsim::MountHive(hive, SYSTEM_PATH, &mounted, &reason)) << reason;
    verify_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Lsa");
    bool written = true;
    ASSERT_TRUE(winsim::SaveHive(mounted, &written, &reason)) << reason;
    EXPECT_FALSE(written);
    EXPECT_EQ(std::vector<std::string>{"SYSTEM_2"}, FilesInFolder());
    EXPECT_TRUE(original == FileBytes(hive));
}

TEST_F(HiveTest, HivesThatCannotBeUsedAreRefusedWithAReasonAndTheRegistryUntouched)
{
    std::string usrClass = Unpack("UsrClass.dat");
    Unpack("UsrClass.dat.LOG1");
    Unpack("UsrClass.dat.LOG2");
    std::string system = Unpack("SYSTEM");
    std::string truncated = folder + "/truncated";
    std::string zeros = folder + "/zeros";
    FILE *file = std::fopen(truncated.c_str(), "wb");
    std::fwrite(FileBytes(system).data(), 1, 4096, file);
    std::fclose(file);
    file = std::fopen(zeros.c_str(), "wb");
    std::fwrite(std::string(65536, '\0').data(), 1, 65536, file);
    std::fclose(file);

    const std::vector<std::wstring> classes = {L"USER", L"S-1-5-21-1-2-3-1001_Classes"};
    struct Refusal {
        std::string file;
        std::vector<std::wstring> says;
    } refusals[] = {
        {usrClass, {L"UsrClass.dat", L"UsrClass.dat.LOG1", L"sequence numbers differ", L"Start that Windows once"}},
        {truncated, {L"truncated", L"cannot open the hive"}},
        {zeros, {L"zeros", L"cannot open the hive"}},
        {folder + "/missing", {L"missing", L"No such file or directory"}},
    };
    for (const Refusal &refusal : refusals) {
        winsim::MountedHive mounted;
        std::wstring reason;
        EXPECT_FALSE(winsim::MountHive(refusal.file, classes, &mounted, &reason)) << refusal.file;
        for (const std::wstring &part : refusal.says)
            EXPECT_NE(std::wstring::npos, reason.find(part)) << refusal.file << ": " << reason.c_str();
        verify_key_nonexist(HKEY_USERS, classes[1]);
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
