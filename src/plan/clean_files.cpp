// The product's places in the file system, each with the operation that
// applies to it: program folder, common files (report only), system files
// and drivers, Start-menu folders, staged driver packages.
#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "files/files.h"
#include "plan/plan.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const DWORD PATH_CHARS = 260;

typedef DWORD (*FileOperation)(LPCWSTR, DWORD, DWORD);

struct SystemTarget {
    const wchar_t *path;
    FileOperation operation;
};

const SystemTarget systemTargets[] = {
    {L"vxcng.dll", DeleteFileIfExists},
    {L"vxdrvlib*.sys", DeleteByMask},
    {L"vxssl.dll", DeleteFileIfExists},
    {L"vxtls.dll", DeleteFileIfExists},
    {L"vxSSPAP.dll", DeleteFileIfExists},
    {L"vxocsp.dll", DeleteFileIfExists},
    {L"vxssp.dll", DeleteFileIfExists},
    {L"advapi32.$$$", DeleteFileIfExists},
    {L"VxlnDspr*.dll", DeleteByMask},
    {L"VxlnDs64.dll", DeleteFileIfExists},
    {L"drivers\\vxdrvlib*.sys", DeleteByMask},
    {L"drivers\\vxksp*.sys", DeleteByMask},
    {L"drivers\\VxlnCtrl*.sys", DeleteByMask},
    {L"drivers\\VxlnCt2k.sys", DeleteFileIfExists},
    {L"drivers\\vxefs.sys", DeleteFileIfExists},
    {L"drivers\\vxdrv30.sys", DeleteFileIfExists},
    {L"drivers\\vxdrv36.sys", DeleteFileIfExists},
};

const wchar_t *const startMenuFolders[] = {L"Vexa Lune", L"Vexa-Lune", L"VexaLune", L"Векса-Люн", L"ВЕКСА-ЛЮН"};

// The base folder with its backslash, then the relative path. A path that
// would have to be cut names another place: it is reported and skipped.
bool BuildPath(LPWSTR lpBuffer, LPCWSTR lpBase, LPCWSTR lpRelative, DWORD *result)
{
    wchar_t base[PATH_CHARS + 1];
    if (!JoinPath(base, PATH_CHARS, lpBase, L"") || !PathAddBackslashW(base)) {
        *result |= ReportPathTooLong(__LINE__, lpBase, L"\\");
        return false;
    }
    if (!JoinPath(lpBuffer, PATH_CHARS + 1, base, lpRelative)) {
        *result |= ReportPathTooLong(__LINE__, base, lpRelative);
        return false;
    }
    return true;
}

// false when the variable cannot be expanded whole.
bool Expand(LPCWSTR lpVariable, LPWSTR lpFolder)
{
    DWORD needed = ExpandEnvironmentStringsW(lpVariable, lpFolder, PATH_CHARS);
    if (needed > PATH_CHARS)
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return needed != 0 && needed <= PATH_CHARS;
}

DWORD CleanProgramFolder(LPCWSTR lpVariable, const char *lpFailure, LPWSTR lpFolder, LPWSTR lpPath, DWORD dwMode,
                         DWORD fWarn)
{
    DWORD result = 0;
    if (!Expand(lpVariable, lpFolder))
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, lpFailure);
    if (BuildPath(lpPath, lpFolder, L"Vexa Lune", &result))
        result |= DeleteTreeIfExists(lpPath, dwMode, fWarn);
    return result;
}

DWORD CleanSystemFolder(LPWSTR lpFolder, LPWSTR lpPath, DWORD dwMode, DWORD fWarn)
{
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, lpFolder)))
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "SHGetFolderPath(CSIDL_SYSTEM) failed.");
    DWORD result = 0;
    for (const SystemTarget &target : systemTargets)
        if (BuildPath(lpPath, lpFolder, target.path, &result))
            result |= target.operation(lpPath, dwMode, fWarn);
    return result;
}

DWORD CleanStartMenu(LPWSTR lpStartMenu, LPWSTR lpPrograms, LPWSTR lpPath, DWORD dwMode, DWORD fWarn)
{
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_STARTMENU, nullptr, SHGFP_TYPE_CURRENT, lpStartMenu)))
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "SHGetFolderPath(CSIDL_COMMON_STARTMENU) failed.");
    PrintOut(L"Path to Start Menu %ls\n", lpStartMenu);
    DWORD result = 0;
    if (!BuildPath(lpPrograms, lpStartMenu, L"Programs", &result))
        return result;
    for (LPCWSTR name : startMenuFolders) {
        if (!BuildPath(lpPath, lpPrograms, name, &result))
            continue;
        PrintOut(L"Removing %ls\n", lpPath);
        result |= DeleteTreeIfExists(lpPath, dwMode, fWarn);
    }
    return result;
}

}  // namespace

DWORD CleanFiles(DWORD dwMode, DWORD fWarn)
{
    // For our 32-bit process the first pair names the 64-bit folders.
    LPCWSTR programFiles = RegViewFlag ? L"%ProgramW6432%" : L"%ProgramFiles%";
    LPCWSTR commonFiles = RegViewFlag ? L"%CommonProgramW6432%" : L"%CommonProgramFiles%";

    WCHAR *folder = static_cast<WCHAR *>(malloc((PATH_CHARS + 1) * sizeof(WCHAR)));
    WCHAR *path = static_cast<WCHAR *>(malloc((PATH_CHARS + 1) * sizeof(WCHAR)));
    WCHAR *startMenu = static_cast<WCHAR *>(malloc((PATH_CHARS + 1) * sizeof(WCHAR)));
    DWORD result = 0;
    if (!folder || !path || !startMenu) {
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    } else {
        result |= CleanProgramFolder(programFiles, "SHGetFolderPath(CSIDL_PROGRAM_FILES) failed.", folder, path, dwMode,
                                     fWarn);
        // The common-files folder is only ever reported, never removed.
        if (dwMode == MODE_REPORT)
            result |= CleanProgramFolder(commonFiles, "SHGetFolderPath(CSIDL_PROGRAM_FILES_COMMON) failed.", folder,
                                         path, MODE_REPORT, fWarn);
        result |= CleanSystemFolder(folder, path, dwMode, fWarn);
        result |= CleanStartMenu(folder, startMenu, path, dwMode, fWarn);
        result |= CleanDriverPackages(dwMode);
    }
    free(folder);
    free(path);
    free(startMenu);
    return result;
}
