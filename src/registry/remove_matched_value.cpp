#include "driver/process_state.h"
#include "record/findings.h"
#include "record/record.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"
#include "report/tally.h"

DWORD RemoveMatchedValue(HKEY hKey, LPCWSTR lpSubKey, LPCWSTR lpName, DWORD dwMode, DWORD fWarn, BOOL *lpDeleted)
{
    *lpDeleted = FALSE;
    PrintOut(L"ValName: %ls\\%ls\n", lpSubKey, lpName);
    DWORD result = 0;
    if (fWarn)
        result |= ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found");
    if (dwMode != MODE_REMOVE) {
        NoteFoundValue(hKey, lpName);
        return result;
    }
    UndoValue(hKey, lpName);
    LONG deleted = RegDeleteValueW(hKey, lpName);
    if (deleted != ERROR_SUCCESS)
        return result | ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(deleted), REPORT_ALL,
                                    "Can not RegDeleteValue (%S\\%S)", lpSubKey, lpName);
    *lpDeleted = TRUE;
    Tally(TALLY_VALUES);
    if (IsSystemPath(lpSubKey))
        RebootNeeded = 1;
    return result;
}
