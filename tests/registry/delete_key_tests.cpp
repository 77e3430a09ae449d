#include <functional>

#include "driver/process_state.h"
#include "record/record.h"
#include "record_files.h"
#include "registry/registry.h"
#include "registry_fixture.h"
#include "test_machine.h"

typedef RegistryTest DeleteKeyTest;

TEST_F(DeleteKeyTest, SubkeysThatDenyTheAdministratorAreTakenOverAndDeleted)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\One\\Deep");
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\Two", L"v", L"x");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\One\\Deep");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\One");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\Two");
    verify_open_denied(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\One");
    verify_open_denied(HKEY_LOCAL_MACHINE, T + L"\\Guarded\\Two");

    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Guarded", 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_EQ(L"", printed.err);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Guarded");
}

TEST_F(DeleteKeyTest, ATopKeyThatCannotBeReadIsSkipped)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Closed");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Closed");
    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Closed", 1, 1);
    EXPECT_EQ(0u, printed.result);
    EXPECT_EQ(L"Access denied (skipping): " + T + L"\\Closed\n\n", printed.out);
    verify_open_denied(HKEY_LOCAL_MACHINE, T + L"\\Closed");
}

// Whatever removes it, a key or value under SYSTEM needs a restart: the path
// deleted or searched from decides, and below the start of a search a key
// whose name holds "System"; show mode removes nothing and needs none.
TEST_F(DeleteKeyTest, RemovalsUnderSystemNeedARestartOthersDoNot)
{
    const struct {
        std::wstring made;  // a key with the value "vxtls"
        std::function<DWORD()> removal;
        int restart;
    } removals[] = {
        {T + L"\\Soft", [&] { return DeleteKey(HKEY_LOCAL_MACHINE, (T + L"\\Soft").c_str(), 1, 0); }, 0},
        {S + L"\\Service", [] { return DeleteKey(HKEY_LOCAL_MACHINE, L"system\\VxTest\\Service", 0, 0); }, 0},
        {S + L"\\Service", [] { return DeleteKey(HKEY_LOCAL_MACHINE, L"system\\VxTest\\Service", 1, 0); }, 1},
        {T + L"\\Svc", [&] { return DeleteValuesByName(HKEY_LOCAL_MACHINE, (T + L"\\Svc").c_str(), L"vxtls", 1, 0); },
         0},
        {S + L"\\Svc", [] { return DeleteValuesByName(HKEY_LOCAL_MACHINE, L"system\\VxTest\\Svc", L"vxtls", 1, 0); },
         1},
        {S + L"\\Tree\\VexaLune", [&] { return WipeMatchingKeys((S + L"\\Tree").c_str(), L"VexaLune", nullptr, 1, 0); },
         0},
        {S + L"\\Tree\\SystemVexaLune",
         [&] { return WipeMatchingKeys((S + L"\\Tree").c_str(), L"VexaLune", nullptr, 1, 0); }, 1},
        {S + L"\\VexaLune", [&] { return WipeMatchingKeys((S + L"\\VexaLune").c_str(), L"VexaLune", nullptr, 1, 0); },
         1},
    };
    for (const auto &removal : removals) {
        add_sz(HKEY_LOCAL_MACHINE, removal.made, L"vxtls", L"x");
        RebootNeeded = 0;
        Printed printed = Capture(removal.removal);
        EXPECT_EQ(0u, printed.result) << printed.err;
        EXPECT_EQ(removal.restart, RebootNeeded) << &removal - removals;
    }
    verify_key_nonexist(HKEY_LOCAL_MACHINE, S + L"\\Service");
    verify_key_nonexist(HKEY_LOCAL_MACHINE, S + L"\\Tree\\VexaLune");
}

// Under HKEY_CURRENT_USER and HKEY_CLASSES_ROOT the paths name no key: the
// ordinary key of that path under HKEY_LOCAL_MACHINE is never taken instead.
TEST_F(DeleteKeyTest, AnAbsentKeyIsNothingInEveryModeUnderEveryRoot)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Settings\\EFS", L"key", L"private");
    const std::wstring before = KeyTree(HKEY_LOCAL_MACHINE, T + L"\\Settings");
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT})
        for (DWORD mode : {0u, 1u})
            for (DWORD warn : {0u, 1u})
                for (const wchar_t *path : {L"\\Absent", L"\\Settings\\EFS", L"\\Settings"}) {
                    if (root == HKEY_LOCAL_MACHINE && path != std::wstring(L"\\Absent"))
                        continue;
                    Printed printed = Delete(root, T + path, mode, warn);
                    EXPECT_EQ(0u, printed.result) << printed.err;
                    EXPECT_EQ(L"\n", printed.out);
                    EXPECT_EQ(L"", printed.err);
                }
    EXPECT_EQ(before, KeyTree(HKEY_LOCAL_MACHINE, T + L"\\Settings"));
}

TEST_F(DeleteKeyTest, APlantedLinkGoesAndItsTargetStaysAsItWas)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Bystander\\Child", L"keep", L"me");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Bystander\\Child");
    std::vector<BYTE> bystander = KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Bystander");
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Vendor\\Keys", L"k", L"1");
    add_link(T + L"\\Vendor\\Keys\\planted", T + L"\\Bystander");
    add_link(T + L"\\Vendor\\back", T + L"\\Vendor");

    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Vendor", 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"Deleted link planted"));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Vendor");
    verify_link_nonexist(T + L"\\Vendor\\Keys\\planted");
    EXPECT_EQ(bystander, KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Bystander"));
    verify_open_denied(HKEY_LOCAL_MACHINE, T + L"\\Bystander\\Child");
}

// A link as the key to delete, broken or not, stays in show mode and goes
// itself in clear mode; its target stays as it was.
TEST_F(DeleteKeyTest, ALinkAsTheKeyToDeleteGoesItselfOnlyInClearMode)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Bystander", L"keep", L"me");
    std::vector<BYTE> bystander = KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Bystander");
    for (const wchar_t *target : {L"\\Gone", L"\\Bystander"}) {
        add_link(T + L"\\Vexa Lune", T + target);
        Printed shown = Delete(HKEY_LOCAL_MACHINE, T + L"\\Vexa Lune", 0, 1);
        verify_link(T + L"\\Vexa Lune");
        Printed cleared = Delete(HKEY_LOCAL_MACHINE, T + L"\\Vexa Lune", 1, 0);
        verify_link_nonexist(T + L"\\Vexa Lune");
        EXPECT_EQ(0u, cleared.result);
        // A broken link shows nothing; one that leads somewhere shows its target.
        if (target == std::wstring(L"\\Gone")) {
            EXPECT_EQ(0u, shown.result);
            EXPECT_EQ(L"\n\n", shown.out + cleared.out);
        }
    }
    verify_sz(HKEY_LOCAL_MACHINE, T + L"\\Bystander", L"keep", L"me");
    EXPECT_EQ(bystander, KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Bystander"));
}

// A "SymbolicLinkValue" of type REG_LINK does not make a key a link: only a
// key made as one is. The ordinary key goes through the wipe with its values
// and subkeys, and the undo file brings it back; the real link beside it goes
// as a link, its target left alone. Both views, on the host a 64-bit machine.
TEST_F(DeleteKeyTest, OnlyAKeyMadeAsALinkIsDeletedAsOne)
{
    UseBothViews();
    EnableTakeOwnership();
    const std::wstring vendor = T + L"\\Vendor", lookalike = vendor + L"\\Lookalike";
    const std::wstring target = L"\\REGISTRY\\MACHINE\\" + T + L"\\Bystander";
    const BYTE *targetBytes = reinterpret_cast<const BYTE *>(target.data());
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Bystander", L"keep", L"me", KEY_WOW64_64KEY);
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        SCOPED_TRACE(view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view");
        add_value(HKEY_LOCAL_MACHINE, lookalike, L"SymbolicLinkValue", REG_LINK,
                  std::vector<BYTE>(targetBytes, targetBytes + target.size() * sizeof(wchar_t)), view);
        add_sz(HKEY_LOCAL_MACHINE, lookalike, L"other", L"value", view);
        add_sz(HKEY_LOCAL_MACHINE, lookalike + L"\\Child", L"inner", L"1", view);
        add_link(vendor + L"\\Real", T + L"\\Bystander", view);
        const std::wstring before = KeyTree(HKEY_LOCAL_MACHINE, lookalike, view, false);

        RegViewFlag = view;
        Printed printed = Capture([&] {
            StartRecord(TRUE);
            DWORD result = DeleteKey(HKEY_LOCAL_MACHINE, vendor.c_str(), 1, 0);
            FinishRecord(result, RESTART_NONE);
            return result;
        });
        RegViewFlag = 0;
        EXPECT_EQ(0u, printed.result) << printed.err;
        EXPECT_NE(std::wstring::npos, printed.out.find(L"Deleted Child\n"));
        EXPECT_NE(std::wstring::npos, printed.out.find(L"Deleted Lookalike\n"));
        EXPECT_NE(std::wstring::npos, printed.out.find(L"Deleted link Real "));
        verify_key_nonexist(HKEY_LOCAL_MACHINE, vendor, view);
        verify_sz(HKEY_LOCAL_MACHINE, T + L"\\Bystander", L"keep", L"me", KEY_WOW64_64KEY);

        ASSERT_FALSE(RecordFolders().empty());
        if (!UndoImportLimit()) {
            ASSERT_TRUE(ImportUndoFile(RecordFolders().back()));
            EXPECT_EQ(before, KeyTree(HKEY_LOCAL_MACHINE, lookalike, view, false));
        }
        RemoveTestTree(HKEY_LOCAL_MACHINE, vendor, view);
    }
}

TEST_F(DeleteKeyTest, PathsThroughALinkOnTheWayWorkAsUsual)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Real\\Inner\\Leaf");
    add_link(T + L"\\Via", RealMachinePath(T + L"\\Real"));
    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Via\\Inner", 1, 0);
    EXPECT_EQ(0u, printed.result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Real\\Inner");
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Real");
    verify_link(T + L"\\Via");
}

// Windows takes any name through its native calls, a NUL inside it too; such
// a key cannot be opened by its name as the enumeration gives it. The wipe
// reports it and goes on with the rest, instead of meeting it again forever.
// winsim has no native key calls: Wine (and Windows) only.
TEST_F(DeleteKeyTest, AKeyNamedWithANulIsReportedAndSteppedOver)
{
    struct CountedName {
        WORD Length, MaximumLength;
        LPWSTR Buffer;
    };
    struct NativeAttributes {
        ULONG Length;
        HANDLE RootDirectory;
        CountedName *ObjectName;
        ULONG Attributes;
        PVOID SecurityDescriptor, SecurityQualityOfService;
    };
    typedef LONG(WINAPI * CreateKey)(PHANDLE, ACCESS_MASK, NativeAttributes *, ULONG, CountedName *, ULONG, PULONG);
    typedef LONG(WINAPI * DeleteNativeKey)(HANDLE);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    CreateKey create =
        ntdll ? reinterpret_cast<CreateKey>(reinterpret_cast<void *>(GetProcAddress(ntdll, "NtCreateKey"))) : nullptr;
    DeleteNativeKey remove =
        ntdll ? reinterpret_cast<DeleteNativeKey>(reinterpret_cast<void *>(GetProcAddress(ntdll, "NtDeleteKey")))
              : nullptr;
    if (!create || !remove)
        GTEST_SKIP() << "no native key calls here (winsim), so no key name with a NUL";

    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Odd\\Before", L"v", L"x");
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Odd\\zAfter", L"v", L"x");
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, (T + L"\\Odd").c_str(), 0, KEY_ALL_ACCESS, &parent));
    wchar_t text[] = L"nul\0inside";
    CountedName name = {static_cast<WORD>(10 * sizeof(wchar_t)), static_cast<WORD>(sizeof text), text};
    NativeAttributes attributes = {sizeof attributes, parent, &name, 0x40 /* case-insensitive */, nullptr, nullptr};
    HANDLE odd;
    ASSERT_EQ(0, create(&odd, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr));

    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Odd", 1, 0);
    EXPECT_NE(0u, printed.result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Odd\\Before");
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Odd\\zAfter");
    EXPECT_EQ(0, remove(odd));
    RegCloseKey(reinterpret_cast<HKEY>(odd));
    RegCloseKey(parent);
}
