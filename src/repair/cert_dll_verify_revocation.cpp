#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "record/findings.h"
#include "record/record.h"
#include "registry/registry.h"
#include "repair/repair.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const wchar_t REVOCATION_KEY[] =
    L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CertDllVerifyRevocation\\DEFAULT";
const wchar_t DLL_VALUE[] = L"Dll";
const wchar_t SYSTEM_PROVIDER[] = L"cryptnet.dll";
// The provider alone, as a multi-string: its NUL and the closing NUL.
const wchar_t SYSTEM_PROVIDER_LIST[] = L"cryptnet.dll\0";

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Checks the first element of "Dll" and, in mode 1, puts the system's
// provider back alone: the OR of the reports made.
DWORD RepairProvider(HKEY hKey, DWORD dwMode, DWORD fWarn)
{
    DWORD type;
    DWORD size;
    LONG status = RegQueryValueExW(hKey, DLL_VALUE, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegQueryValueEx failed");
    // Two zero characters after the data, whole or not, so that its first
    // element always ends inside the buffer.
    WCHAR *data = static_cast<WCHAR *>(calloc(size / sizeof(WCHAR) + 2, sizeof(WCHAR)));
    if (!data)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory");
    status = RegQueryValueExW(hKey, DLL_VALUE, nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    if (status != ERROR_SUCCESS) {
        DWORD report =
            ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegQueryValueEx failed");
        free(data);
        return report;
    }
    PrintOut(L"    Value: %ls\n", data);
    DWORD result = 0;
    if (wcscmp(data, SYSTEM_PROVIDER) != 0) {
        if (fWarn)
            result |= ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found: cryptnet.dll expected");
        PrintOut(L"    NewValue: %ls\n", SYSTEM_PROVIDER);
        if (dwMode != MODE_REMOVE)
            NoteFoundListEntry(hKey, DLL_VALUE, data);
        if (dwMode == MODE_REMOVE) {
            // A list under a type that holds no text would stay unreadable:
            // such a value is written as the list it should have been.
            UndoValue(hKey, DLL_VALUE);
            status = RegSetValueExW(hKey, DLL_VALUE, 0, IsTextType(type) ? type : REG_MULTI_SZ,
                                    reinterpret_cast<const BYTE *>(SYSTEM_PROVIDER_LIST), sizeof SYSTEM_PROVIDER_LIST);
            if (status != ERROR_SUCCESS) {
                result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                      "RegSetValueEx failed");
                free(data);
                return result;
            }
            NoteListRepaired(hKey, DLL_VALUE);
        }
    }
    PrintOut(L"\n");
    free(data);
    return result;
}

}  // namespace

DWORD CertDllVerifyRevocationRegUninstall(DWORD dwMode, DWORD fWarn)
{
    PrintOut(L"CertDllVerifyRevocationRegUninstall\n");
    HKEY key;
    // An absent or refused key has nothing to repair; any other failure is reported.
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, REVOCATION_KEY, 0, KEY_ALL_ACCESS | RegViewFlag, &key);
    if (status == ERROR_ACCESS_DENIED || IsAbsentKey(status)) {
        PrintOut(L"Key not exist: %ls\n\n", REVOCATION_KEY);
        return 0;
    }
    if (status != ERROR_SUCCESS)
        return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "Can not open key: %S",
                           REVOCATION_KEY);
    DWORD keys = 0;
    DWORD values = 0;
    DWORD result = ListKeyContents(key, REVOCATION_KEY, 0, &keys, &values);
    result |= RepairProvider(key, dwMode, fWarn);
    if (LONG closed = RegCloseKey(key))
        result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(closed), REPORT_ALL,
                              "Can not RegCloseKey: %S", REVOCATION_KEY);
    return result;
}
