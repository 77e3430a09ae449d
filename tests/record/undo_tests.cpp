// The undo file against an importer that this program did not write: a tree
// the engine deletes under a record comes back byte for byte from it, through
// winsim's import on the host and through Wine's regedit.
#include <cwctype>
#include <set>

#include <gtest/gtest.h>

#include "driver/process_state.h"
#include "driver/wow64.h"
#include "output_capture.h"
#include "record/record.h"
#include "record_files.h"
#include "registry/registry.h"
#include "registry_helpers.h"
#include "test_machine.h"

namespace {

const std::wstring TREE = std::wstring(TEST_SOFTWARE) + L"\\Undo";
const wchar_t USER_TREE[] = L"Software\\VxTestUndo";
const wchar_t CLASS_KEY[] = L"VxTestUndo.Class";

std::vector<BYTE> Bytes(size_t size, BYTE first)
{
    std::vector<BYTE> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<BYTE>(first + i * 7);
    return data;
}

// String data as a caller passes it, exactly these characters.
std::vector<BYTE> Chars(const std::wstring &text)
{
    const BYTE *bytes = reinterpret_cast<const BYTE *>(text.data());
    return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t));
}

// Values of every kind that the text form could get wrong.
void AddHardValues(HKEY root, const std::wstring &path)
{
    add_value(root, path, L"", REG_SZ, SzBytes(L"default"));
    add_value(root, path, L"quote \" and \\ backslash", REG_SZ, SzBytes(L"C:\\Program Files\\\"x\""));
    add_value(root, path, L"empty text", REG_SZ, SzBytes(L""));
    add_value(root, path, L"no terminator", REG_SZ, Chars(L"AB"));
    add_value(root, path, L"inner nul", REG_SZ, Chars(std::wstring(L"A\0B\0", 4)));
    add_value(root, path, L"line break", REG_SZ, SzBytes(L"one\r\ntwo"));
    add_value(root, path, L"expand", REG_EXPAND_SZ, SzBytes(L"%SystemRoot%\\x"));
    add_value(root, path, L"multi", REG_MULTI_SZ, Chars(std::wstring(L"a\0b\0\0", 5)));
    add_value(root, path, L"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12});
    add_value(root, path, L"short dword", REG_DWORD, {1, 2});
    add_value(root, path, L"qword", REG_QWORD, Bytes(8, 1));
    add_value(root, path, L"binary", REG_BINARY, Bytes(301, 3));
    add_value(root, path, L"empty binary", REG_BINARY, {});
    add_value(root, path, L"none", REG_NONE, Bytes(5, 9));
    add_value(root, path, L"own type", 0x7fff1234, Bytes(3, 200));
    add_value(root, path, std::wstring(255, L'v'), REG_SZ, SzBytes(L"long name"));
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t &c : text)
        c = static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
    return text;
}

// A folder's DACL in SDDL; empty when it cannot be read.
std::wstring FolderDacl(const std::wstring &folder)
{
    DWORD size = 0;
    GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    LPWSTR text = nullptr;
    if (!size || !GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"";
    std::wstring sddl = text;
    LocalFree(text);
    return sddl;
}

// Whether a folder made with a DACL of its own keeps it here: Wine keeps file
// security only where the file system takes extended attributes.
bool KeepsFolderSecurity()
{
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp))
        return false;
    const std::wstring probe = std::wstring(temp) + L"vxclean-security-probe";
    RemoveDirectoryW(probe.c_str());
    BYTE descriptor[SECURITY_DESCRIPTOR_MIN_LENGTH];
    // A present but empty DACL: no ACE at all, unlike anything inherited.
    BYTE aclBytes[sizeof(ACL)] = {ACL_REVISION, 0, sizeof(ACL), 0, 0, 0, 0, 0};
    InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(descriptor, TRUE, reinterpret_cast<PACL>(aclBytes), FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    if (!CreateDirectoryW(probe.c_str(), &attributes))
        return false;
    const std::wstring sddl = FolderDacl(probe);
    RemoveDirectoryW(probe.c_str());
    return !sddl.empty() && sddl.find(L'(') == std::wstring::npos;
}

class UndoTest : public testing::Test {
  protected:
    void SetUp() override
    {
        StartFreshMachine();
        EmptyTestKeys();
        RemoveTestTree(HKEY_CURRENT_USER, USER_TREE);
        RemoveTestTree(HKEY_CLASSES_ROOT, CLASS_KEY);
        EnableTakeOwnership();
        RegViewFlag = 0;
    }
    void TearDown() override
    {
        RemoveTestTree(HKEY_CURRENT_USER, USER_TREE);
        RemoveTestTree(HKEY_CLASSES_ROOT, CLASS_KEY);
    }
    // Deletes each tree under a record; the undo file's text.
    std::wstring WipeRecorded(const std::vector<std::pair<HKEY, std::wstring>> &trees)
    {
        {
            OutputCapture capture;
            StartRecord(TRUE);
            for (const auto &tree : trees)
                EXPECT_EQ(0u, RecurseWipeRegTree(tree.first, tree.second.c_str())) << capture.Err();
            FinishRecord(0, RESTART_NONE);
            missing_ = 0;
            for (size_t at = 0; (at = capture.Out().find(L"\nNot in the undo file: ", at)) != std::wstring::npos; ++at)
                ++missing_;
        }
        folder_ = RecordFolders().empty() ? L"" : RecordFolders().back();
        return RecordText(folder_, L"undo.reg");
    }
    std::wstring folder_;
    size_t missing_ = 0;
};

}  // namespace

TEST_F(UndoTest, AWipedTreeOfEveryRootComesBackByteForByte)
{
    AddHardValues(HKEY_LOCAL_MACHINE, TREE);
    AddHardValues(HKEY_LOCAL_MACHINE, TREE + L"\\Child\\Grandchild");
    add_key(HKEY_LOCAL_MACHINE, TREE + L"\\Empty");
    add_sz(HKEY_LOCAL_MACHINE, TREE + L"\\Locked\\Inner", L"kept", L"behind a refusal");
    AddHardValues(HKEY_CURRENT_USER, USER_TREE);
    add_sz(HKEY_CLASSES_ROOT, CLASS_KEY, L"", L"a class");
    // Key names that the text holds however odd, and a key that only holds a
    // link's value.
    for (const std::wstring &name : {std::wstring(L"]close"), std::wstring(L"[open"), std::wstring(L"a=b"),
                                     std::wstring(L"\"quoted\""), std::wstring(L";semi"), std::wstring(255, L'k')})
        add_sz(HKEY_LOCAL_MACHINE, TREE + L"\\Names\\" + name, name, L"value of " + name);
    add_value(HKEY_LOCAL_MACHINE, TREE + L"\\Names\\NotALink", L"SymbolicLinkValue", REG_LINK,
              Chars(L"\\REGISTRY\\MACHINE\\SOFTWARE"));
    add_sz(HKEY_LOCAL_MACHINE, TREE + L"\\Names\\NotALink\\Child", L"v", L"an ordinary key's subkey");
    // The import gives the refused key its parent's security back.
    const std::wstring machine = KeyTree(HKEY_LOCAL_MACHINE, TREE, 0, false);
    // Names the text cannot hold are left out, named as missing, and lose
    // nothing else.
    add_sz(HKEY_LOCAL_MACHINE, TREE + L"\\Names\\line\nbreak\\Inner", L"v", L"x");
    add_sz(HKEY_LOCAL_MACHINE, TREE + L"\\Names", L"value\r\nname", L"x");
    deny_everyone(HKEY_LOCAL_MACHINE, TREE + L"\\Locked");
    // A link is a comment, which a line break in its target must not end.
    add_link(TREE + L"\\Link", L"SOFTWARE\\line\r\nbreak");
    const std::wstring user = KeyTree(HKEY_CURRENT_USER, USER_TREE, 0, false);
    const std::wstring classes = KeyTree(HKEY_CLASSES_ROOT, CLASS_KEY, 0, false);

    std::wstring undo =
        WipeRecorded({{HKEY_LOCAL_MACHINE, TREE}, {HKEY_CURRENT_USER, USER_TREE}, {HKEY_CLASSES_ROOT, CLASS_KEY}});
    verify_key_nonexist(HKEY_LOCAL_MACHINE, TREE);
    verify_key_nonexist(HKEY_CURRENT_USER, USER_TREE);
    ASSERT_EQ(0u, undo.find(L"Windows Registry Editor Version 5.00\n\n; Undo file of vxclean ")) << undo.substr(0, 200);
    // The header says how to import the file, and in which order with others.
    EXPECT_NE(std::wstring::npos, undo.find(L"\n;   reg import \"" + folder_ + L"\\undo.reg\"\n"));
    EXPECT_NE(std::wstring::npos, undo.find(L"import the newest first and the oldest last"));
    // Each key at the path where it lives, whatever root it was reached by.
    // The running user's keys under his SID, where an import by anyone puts them back.
    const std::wstring lower = Lower(undo);
    const size_t userKey = lower.find(L"\\software\\vxtestundo]\n");
    ASSERT_NE(std::wstring::npos, userKey);
    EXPECT_EQ(lower.rfind(L"\n[hkey_users\\s-1-5-", userKey), lower.rfind(L'\n', userKey));
    EXPECT_EQ(std::wstring::npos, lower.find(L"hkey_current_user"));
    EXPECT_NE(std::wstring::npos, Lower(undo).find(L"\n[hkey_local_machine\\software\\classes\\vxtestundo.class]\n"));
    // Where a 32-bit process's keys really are on 64-bit Windows.
    const std::wstring tree = IsWow64() ? L"hkey_local_machine\\software\\wow6432node\\vxtest\\undo\\"
                                        : L"hkey_local_machine\\software\\vxtest\\undo\\";
    EXPECT_NE(std::wstring::npos, lower.find(L"; owner and dacl of " + tree + L"locked before the run: o:bad:"));
    EXPECT_NE(std::wstring::npos, lower.find(L"\n; registry link " + tree +
                                             L"link to \\registry\\machine\\software\\line\u240D\u240Abreak\n"));

    EXPECT_EQ(3u, missing_);

    if (UndoImportLimit())
        GTEST_SKIP() << "the undo file was checked, its import cannot be: " << UndoImportLimit();
    ASSERT_TRUE(ImportUndoFile(folder_));
    EXPECT_EQ(machine, KeyTree(HKEY_LOCAL_MACHINE, TREE, 0, false));
    EXPECT_EQ(user, KeyTree(HKEY_CURRENT_USER, USER_TREE, 0, false));
    EXPECT_EQ(classes, KeyTree(HKEY_CLASSES_ROOT, CLASS_KEY, 0, false));
}

// undo.reg and log.txt hold registry data of the machine: the record's folder
// is open to SYSTEM and the Administrators alone (and to whoever makes an
// item in it, for that item), whatever the temporary folder passes on.
TEST_F(UndoTest, TheRecordsFolderIsOpenToSystemAndAdministratorsAlone)
{
    if (!KeepsFolderSecurity())
        GTEST_SKIP() << "this file system keeps no security given to a new folder (Wine without extended attributes)";
    WipeRecorded({});
    ASSERT_FALSE(folder_.empty());
    const std::wstring sddl = FolderDacl(folder_);
    std::set<std::wstring> trustees;
    for (size_t at = sddl.find(L'('); at != std::wstring::npos; at = sddl.find(L'(', at + 1)) {
        const std::wstring entry = sddl.substr(at + 1, sddl.find(L')', at) - at - 1);
        EXPECT_EQ(0u, entry.find(L"A;")) << sddl;
        trustees.insert(entry.substr(entry.rfind(L';') + 1));
    }
    EXPECT_EQ((std::set<std::wstring>{L"SY", L"BA", L"CO"}), trustees) << sddl;
    EXPECT_NE(std::wstring::npos, sddl.find(L"(A;OICIIO;FA;;;CO)")) << sddl;
}
