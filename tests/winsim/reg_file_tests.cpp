// The registry editor's text form: what a test machine or a fixture is
// written in, read back byte for byte.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "registry_helpers.h"
#include "untidy_strings.h"

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> values)
{
    std::vector<BYTE> bytes;
    for (int value : values)
        bytes.push_back(static_cast<BYTE>(value));
    return bytes;
}

std::vector<BYTE> WideBytes(const std::wstring &text, std::initializer_list<int> tail = {})
{
    const BYTE *start = reinterpret_cast<const BYTE *>(text.data());
    std::vector<BYTE> bytes(start, start + text.size() * sizeof(wchar_t));
    for (int byte : tail)
        bytes.push_back(static_cast<BYTE>(byte));
    return bytes;
}

const std::wstring K = L"SOFTWARE\\Vexa Lune\\All \"types\"";

void FreshMachine()
{
    winsim::ResetMachine();
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
}

struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

// A value of every kind the text form could get wrong, a child and a link.
const std::vector<Value> EVERY_KIND = {
    {L"", REG_SZ, SzBytes(L"default")},
    {L"quote\"and\\slash", REG_SZ, SzBytes(L"C:\\Program Files\\\"x\"")},
    {L"\x0418\x043C\x044F", REG_SZ, SzBytes(L"\x0417\x043D\x0430\x0447\x0435\x043D\x0438\x0435")},
    {L"no terminator", REG_SZ, WideBytes(L"abc")},
    {L"odd", REG_SZ, Bytes({0x41, 0, 0, 0, 0x42})},
    {L"expand", REG_EXPAND_SZ, WideBytes(std::wstring(L"%SystemRoot%\\x\0", 16))},
    {L"multi", REG_MULTI_SZ, WideBytes(std::wstring(L"a\0bb\0\0", 6))},
    {L"multi unclosed", REG_MULTI_SZ, WideBytes(std::wstring(L"a\0b", 3))},
    {L"dword", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12})},
    {L"short dword", REG_DWORD, Bytes({1, 2})},
    {L"qword", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
    {L"binary", REG_BINARY, std::vector<BYTE>(100, 0xAB)},
    {L"empty", REG_NONE, std::vector<BYTE>()},
    {L"line\nbreak", REG_SZ, SzBytes(L"one\r\ntwo")},
};
const std::wstring LINK = L"SOFTWARE\\Vexa Lune\\Link";

void AddEveryKind()
{
    for (const Value &value : EVERY_KIND)
        add_value(HKEY_LOCAL_MACHINE, K, value.name, value.type, value.data);
    add_key(HKEY_LOCAL_MACHINE, K + L"\\Empty child");
    add_link(LINK, K);
}

void VerifyEveryKind(const char *file, int line)
{
    testing::ScopedTrace trace(file, line, "after a round trip");
    for (const Value &value : EVERY_KIND)
        verify_reg(HKEY_LOCAL_MACHINE, K, value.name, value.type, value.data);
    verify_key(HKEY_LOCAL_MACHINE, K + L"\\Empty child");
    verify_link(LINK);
    verify_sz(HKEY_LOCAL_MACHINE, LINK, L"", L"default");
}

}  // namespace

// Exported to text and to a UTF-16 file with a byte-order mark, each restored
// on a fresh machine: every key, type and byte comes back, links as links.
// Imported as "reg import" would, the link is an ordinary key holding its value.
TEST(WinsimRegFile, ExportAndRestoreKeepEveryKeyTypeAndByte)
{
    FreshMachine();
    AddEveryKind();
    std::wstring first = winsim::ExportRegistry();
    std::string path = testing::TempDir() + "winsim_registry.reg";
    ASSERT_TRUE(winsim::ExportRegistryFile(path));
    FILE *file = fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    unsigned char start[4] = {};
    EXPECT_EQ(4u, fread(start, 1, 4, file));
    fclose(file);
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE, 'W', 0}), std::vector<unsigned char>(start, start + 4));
    EXPECT_NE(std::wstring::npos, first.find(L"\"binary\"=hex:ab,ab,"));
    EXPECT_NE(std::wstring::npos, first.find(L",\\\r\n  ab,"));
    EXPECT_NE(std::wstring::npos, first.find(L"\"dword\"=dword:12345678\r\n"));
    EXPECT_NE(std::wstring::npos, first.find(L"\"multi\"=hex(7):61,00,00,00,62,00,62,00,00,00,00,00\r\n"));

    FreshMachine();
    std::wstring reason;
    ASSERT_TRUE(winsim::RestoreRegistry(first, &reason)) << std::string(reason.begin(), reason.end());
    VerifyEveryKind(__FILE__, __LINE__);
    EXPECT_TRUE(first == winsim::ExportRegistry());

    FreshMachine();
    ASSERT_TRUE(winsim::RestoreRegistryFile(path, &reason));
    VerifyEveryKind(__FILE__, __LINE__);

    for (bool fromFile : {false, true}) {
        FreshMachine();
        ASSERT_TRUE(fromFile ? winsim::ImportRegistryFile(path, &reason) : winsim::ImportRegistry(first, &reason));
        // A normal open stays at the key: its own value, none of the target's.
        verify_reg(HKEY_LOCAL_MACHINE, LINK, L"SymbolicLinkValue", REG_LINK, WideBytes(L"\\REGISTRY\\MACHINE\\" + K));
        verify_sz(HKEY_LOCAL_MACHINE, K, L"", L"default");
        verify_key_nonexist(HKEY_LOCAL_MACHINE, LINK + L"\\Empty child");
    }
}

TEST(WinsimRegFile, HandWrittenFilesMayDeleteAndABadLineImportsNothing)
{
    FreshMachine();
    std::wstring reason;
    ASSERT_TRUE(winsim::ImportRegistry(L"Windows Registry Editor Version 5.00\n\n"
                                       L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n"
                                       L"\"s\"=\"x\"\n"
                                       L"\"gone\"=\"y\"\n"
                                       L"\"gone\"=-\n"
                                       L"[HKEY_CURRENT_USER\\Software\\V]\n"
                                       L"@=dword:00000001\n"
                                       L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n"
                                       L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\C]\n",
                                       &reason));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\B");
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\C");
    verify_reg(HKEY_CURRENT_USER, L"Software\\V", L"", REG_DWORD, Bytes({1, 0, 0, 0}));

    EXPECT_FALSE(winsim::ImportRegistry(L"Windows Registry Editor Version 5.00\n"
                                        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]\n"
                                        L"\"bad\"=dword:xyz\n",
                                        &reason));
    EXPECT_EQ(L"bad value line: \"bad\"=dword:xyz", reason);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\New");
    EXPECT_FALSE(winsim::ImportRegistry(L"REGEDIT4\n", &reason));
}

// A program reads each unit as one character (a pair as one), lone
// surrogates as they are and an odd last byte as one byte after them; what it
// writes back as read keeps the bytes, and the export writes them again.
TEST(WinsimRegFile, StringsThatAreNoWellFormedTextKeepTheirBytes)
{
    FreshMachine();
    std::wstring reason;
    ASSERT_TRUE(winsim::ImportRegistry(UntidyStringsFile(), &reason));
    const struct {
        const wchar_t *name;
        DWORD type;
        std::vector<BYTE> read;
    } values[] = {
        {L"sz lone", REG_SZ, WideBytes({L'A', 0xD800, L'B', 0})},
        {L"sz odd", REG_SZ, WideBytes({L'A', 0}, {0x7F})},
        {L"expand tail", REG_EXPAND_SZ, WideBytes({L'%', L'X', L'%', 0, 0xDC00, 0x1F600}, {0x20})},
        {L"multi", REG_MULTI_SZ, WideBytes({L'a', 0, 0xD800, 0, 0, L'z'})},
    };
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, UNTIDY_KEY, 0, KEY_ALL_ACCESS, &key));
    for (const auto &value : values) {
        verify_reg(HKEY_LOCAL_MACHINE, UNTIDY_KEY, value.name, value.type, value.read);
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, value.name, 0, value.type, value.read.data(),
                                                static_cast<DWORD>(value.read.size())));
    }
    BYTE stored[8];
    DWORD size = sizeof stored;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, L"sz lone", nullptr, nullptr, stored, &size));
    EXPECT_EQ(values[0].read.size(), size);
    RegCloseKey(key);
    EXPECT_EQ(std::vector<std::wstring>(), MissingUntidyLines(winsim::ExportRegistry()));
}

// What an undo file may hold that the undo tests' own files do not: raw
// 32-bit-view paths, the users' keys, indented lines and any type. The rest
// of its text (comments, hex(N) of every type, data carried over lines) is
// the undo tests' to import.
TEST(WinsimRegFile, UndoFilesImportAsRegeditReadsThem)
{
    winsim::ResetMachine();
    std::wstring reason;
    ASSERT_TRUE(winsim::ImportRegistry(L"Windows Registry Editor Version 5.00\r\n"
                                       L"  \r\n"
                                       L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\V]\r\n"
                                       L"  ; a comment among values\r\n"
                                       L"\"own\"=hex(ffffffff):7f\r\n"
                                       L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\V64]\r\n"
                                       L"[HKEY_USERS\\S-1-5-18\\Software\\V]\r\n"
                                       L"\"d\"=dword:0000000a\r\n",
                                       &reason))
        << std::string(reason.begin(), reason.end());
    verify_reg(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\V", L"own", 0xFFFFFFFF, Bytes({0x7F}), KEY_WOW64_64KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\V64", KEY_WOW64_64KEY);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\V64");
    verify_reg(HKEY_USERS, L"S-1-5-18\\Software\\V", L"d", REG_DWORD, Bytes({10, 0, 0, 0}));

    for (const wchar_t *bad : {L"hex():00", L"hex(100000000):00", L"hex(-1):00", L"hex( 1):00", L"hex(0x1):00"})
        EXPECT_FALSE(winsim::ImportRegistry(std::wstring(L"Windows Registry Editor Version 5.00\n[HKEY_USERS\\X]\n"
                                                         L"\"v\"=") +
                                                bad,
                                            &reason))
            << std::string(bad, bad + wcslen(bad));
}
