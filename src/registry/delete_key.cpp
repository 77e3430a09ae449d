#include "driver/process_state.h"
#include "record/findings.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"
#include "report/tally.h"

DWORD DeleteKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD dwMode, DWORD fWarn)
{
    DWORD result = 0;
    HKEY key;
    LONG status = RegOpenKeyExW(hRoot, lpSubKey, 0, KEY_READ | RegViewFlag, &key);
    if (status == ERROR_SUCCESS) {
        DWORD keys;
        DWORD values;
        result = ListKeyContents(key, lpSubKey, 0, &keys, &values);
        if (fWarn)
            result |= ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found");
        if (dwMode != MODE_REMOVE)
            NoteFoundKey(key, nullptr);
        if ((status = RegCloseKey(key)) != ERROR_SUCCESS)
            result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                  "Can not RegCloseKey: %S", lpSubKey);
        if (dwMode == MODE_REMOVE) {
            DWORD failures = TallyOf(TALLY_FAILURES);
            if (RecurseWipeRegTree(hRoot, lpSubKey) != 0)
                result |=
                    ReportStepFailure(failures, SOURCE_INSTALL, __LINE__, "Can not RecurseWipeRegTree: %S", lpSubKey);
            if (IsSystemPath(lpSubKey))
                RebootNeeded = 1;
        }
    } else if (status == ERROR_ACCESS_DENIED) {
        PrintOut(L"Access denied (skipping): %ls\n", lpSubKey);
    } else if (!IsAbsentKey(status)) {
        result = ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "Can not open key: %S",
                             lpSubKey);
    } else {
        // Absent keys pass silently; a link to a key that is gone is not absent.
        result = DeleteLinkKey(hRoot, lpSubKey, dwMode);
    }
    PrintOut(L"\n");
    return result;
}
