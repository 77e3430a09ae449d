#include <cwchar>

#include "driver/process_state.h"
#include "installer/installer_locations.h"
#include "installer/installer_scan.h"
#include "installer/key_snapshot.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

KeySnapshot Folders;

DWORD ReadFolders(HKEY hFolders)
{
    if (IsSnapshotCurrent(&Folders))
        return 0;
    ForgetFolders();
    DWORD failure = ReadValueSnapshot(&Folders, hFolders);
    if (failure)
        ForgetFolders();
    return failure;
}

DWORD RemoveMatchingFolders(HKEY hFolders, LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn)
{
    DWORD result = ReadFolders(hFolders);
    if (result)
        return result;
    bool found = false;
    for (DWORD i = 0; i < Folders.dwEntryCount; ++i) {
        SnapshotEntry *value = &Folders.lpEntries[i];
        if (value->fGone || !wcsstr(SnapshotEntryName(&Folders, value), lpProductCode))
            continue;
        found = true;
        result |= RemoveMatchedValue(hFolders, FOLDERS_LOCATION, SnapshotEntryName(&Folders, value), dwMode, fWarn,
                                     &value->fGone);
    }
    result |= ValueEnumEndOrReport(Folders.lEnd);
    if (!found)
        PrintOut(L"Matching ValName not exist: %ls\\*%ls*\n", FOLDERS_LOCATION, lpProductCode);
    return result;
}

}  // namespace

DWORD SearchFolders(LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn)
{
    PrintOut(L"Searching for ValName: %ls\\*%ls*\n", FOLDERS_LOCATION, lpProductCode);
    HKEY hFolders;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, FOLDERS_LOCATION, 0, KEY_ALL_ACCESS | RegViewFlag, &hFolders);
    DWORD result;
    if (status != ERROR_SUCCESS) {
        result = SayUnopenedKey(status, FOLDERS_LOCATION, 0);
    } else {
        result = RemoveMatchingFolders(hFolders, lpProductCode, dwMode, fWarn);
        result |= CloseKeyOrReport(hFolders, FOLDERS_LOCATION);
    }
    PrintOut(L"\n");
    if (!IsInstallerScanOpen())
        ForgetFolders();
    return result;
}

void ForgetFolders()
{
    ForgetSnapshot(&Folders);
}
