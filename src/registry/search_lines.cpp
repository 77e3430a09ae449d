// What a search prints for each key it meets, and what it does with a key
// that matched: shared by the whole-tree search and the installer's search
// of the Components key, which must read alike.
#include "driver/process_state.h"
#include "record/findings.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

void PrintIndent(DWORD depth)
{
    for (DWORD i = 0; i < depth; ++i)
        PrintOut(L"  ");
}

LPCWSTR Shown(LPCWSTR pattern)
{
    return pattern ? pattern : L"";
}

}  // namespace

void PrintSearchHeader(LPCWSTR lpKeyNameMatch, LPCWSTR lpValNameMatch, LPCWSTR lpValDataMatch, LPCWSTR lpStart)
{
    PrintOut(L"Searching for\n    KeyName: '%ls'\n or ValName: '%ls'\n or ValData: '%ls'\n in '%ls'\n",
             Shown(lpKeyNameMatch), Shown(lpValNameMatch), Shown(lpValDataMatch), lpStart);
}

void PrintSearchedKey(LPCWSTR lpName, DWORD dwDepth)
{
    PrintIndent(dwDepth);
    PrintOut(L"%ls\n", lpName);
}

DWORD ReportFailedOpen(LONG status, LPCWSTR lpName)
{
    if (status == ERROR_ACCESS_DENIED || IsAbsentKey(status))
        return 0;
    return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "Can not open key: %S",
                       lpName);
}

DWORD SayUnopenedKey(LONG status, LPCWSTR lpName, DWORD dwDepth)
{
    if (DWORD reported = ReportFailedOpen(status, lpName))
        return reported;
    PrintIndent(dwDepth);
    PrintOut(status == ERROR_ACCESS_DENIED ? L"Access denied (skipping): %ls\n" : L"Key not exist: %ls\n", lpName);
    return 0;
}

void PrintLinkNotFollowed(LPCWSTR lpName, DWORD dwDepth)
{
    PrintIndent(dwDepth);
    PrintOut(L"%ls (link, not followed)\n", lpName);
}

void PrintMatch(LPCWSTR lpName, DWORD dwDepth, LPCWSTR lpPattern)
{
    PrintSearchedKey(lpName, dwDepth);
    PrintIndent(dwDepth);
    PrintOut(L"^^^ %ls\n", lpPattern);
}

DWORD RemoveMatchedKey(HKEY hParent, LPCWSTR lpName, DWORD dwMode, DWORD fWarn)
{
    DWORD result = 0;
    if (fWarn)
        result |= ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found");
    if (dwMode != MODE_REMOVE)
        NoteFoundKey(hParent, lpName);
    if (dwMode == MODE_REMOVE) {
        if (RecurseWipeRegTree(hParent, lpName) != 0)
            result |= ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Can not RecurseWipeRegTree: %S", lpName);
        if (IsSystemPath(lpName))
            RebootNeeded = 1;
    }
    return result;
}
