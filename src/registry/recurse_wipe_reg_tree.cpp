#include <cstdlib>

#include "driver/process_state.h"
#include "record/record.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"
#include "report/tally.h"

namespace {

const DWORD CANNOT_OPEN = static_cast<DWORD>(-1);

// A link inside the tree goes itself; its target, which may be any key of the
// machine, is left alone.
DWORD WipeLink(HKEY link, LPCWSTR lpSubKey)
{
    LONG status = DeleteOpenLink(link);
    RegCloseKey(link);
    if (status != ERROR_SUCCESS)
        return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                           "Can not delete registry link: %S", lpSubKey);
    PrintOut(L"Deleted link %ls (its target is left alone)\n", lpSubKey);
    return 0;
}

}  // namespace

DWORD RecurseWipeRegTree(HKEY hParent, LPCWSTR lpSubKey)
{
    wchar_t *name = AllocKeyName();
    if (!name)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");

    DWORD result = 0;
    LONG securityRead = UndoKeySecurity(hParent, lpSubKey);
    if (ChangeRight(hParent, lpSubKey) == 0)
        PrintOut(L"Right changed %ls\n", lpSubKey);
    else
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Can not ChangeRight: %S", lpSubKey);

    HKEY key;
    if (RegOpenKeyExW(hParent, lpSubKey, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS | RegViewFlag, &key) != ERROR_SUCCESS) {
        free(name);
        return CANNOT_OPEN;
    }
    BOOL link;
    DWORD untold = IsRegistryLink(hParent, lpSubKey, key, &link);
    if (untold != 0) {
        RegCloseKey(key);
        free(name);
        return result | untold;
    }
    if (link) {
        free(name);
        return result | WipeLink(key, lpSubKey);
    }
    UndoKey(key, securityRead);

    PrintOut(L"Enum keys in %ls\n", lpSubKey);
    DWORD index = 0;
    LONG status;
    while ((status = EnumKeyName(key, index, name)) == ERROR_SUCCESS) {
        DWORD childResult = RecurseWipeRegTree(key, name);
        result |= childResult;
        // A deleted child's place is taken by the next one. A child that
        // reported a failure may still have gone (its takeover failed, its
        // deletion worked): only one that is still there is stepped over.
        if (childResult != 0 && SubkeyRemains(key, index, name, &result))
            ++index;
    }
    result |= KeyEnumEndOrReport(status);
    // The values that go with the key, for the run's counts (none when they cannot be counted).
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    if ((status = RegCloseKey(key)) != ERROR_SUCCESS)
        result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                              "Can not RegCloseKey: %S", lpSubKey);
    if ((status = DeleteKeyInView(hParent, lpSubKey)) != ERROR_SUCCESS)
        result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                              "Can not RegDeleteKey: %S", lpSubKey);
    else {
        Tally(TALLY_KEYS);
        TallyAdd(TALLY_VALUES_IN_KEYS, values);
        PrintOut(L"Deleted %ls\n", lpSubKey);
    }
    free(name);
    return result;
}
