#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

struct Search {
    LPCWSTR lpKeyNameMatch;
    LPCWSTR lpValNameMatch;
    LPCWSTR lpValDataMatch;
    DWORD dwMode;
    DWORD fWarn;
    BOOL fRecurse;
};

// Which pattern the key matches, or null. A link is matched by its own name
// only: what it holds is not the target's.
LPCWSTR MatchedPattern(HKEY key, LPCWSTR lpName, bool link, const Search &search, DWORD *result)
{
    if (search.lpKeyNameMatch && wcsstr(lpName, search.lpKeyNameMatch))
        return L"lpKeyNameMatch";
    if (link)
        return nullptr;
    DWORD count = 0;
    if (search.lpValNameMatch) {
        *result = CountMatchingValueNames(key, search.lpValNameMatch, &count);
        if (count > 0)
            return L"lpValNameMatch";
    } else if (search.lpValDataMatch) {
        *result |= CountMatchingValueData(key, search.lpValDataMatch, &count);
        if (count > 0)
            return L"lpValDataMatch";
    }
    return nullptr;
}

// A matched key is reported and, in remove mode, deleted whole (a link goes
// itself, its target stays); its subtree is not searched.
DWORD HandleMatch(HKEY hParent, LPCWSTR lpName, DWORD dwDepth, HKEY key, LPCWSTR pattern, const Search &search)
{
    PrintMatch(lpName, dwDepth, pattern);
    DWORD result = CloseKeyOrReport(key, lpName);
    return result | RemoveMatchedKey(hParent, lpName, search.dwMode, search.fWarn);
}

DWORD SearchSubkeys(HKEY key, LPCWSTR lpName, DWORD dwDepth, const Search &search)
{
    wchar_t *name = AllocKeyName();
    if (!name) {
        RegCloseKey(key);
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    }
    DWORD result = 0;
    if (search.fRecurse || dwDepth == 0) {
        DWORD index = 0;
        bool named = false;
        LONG status;
        while ((status = EnumKeyName(key, index, name)) == ERROR_SUCCESS) {
            // The chain of keys that leads to each match, this key named once.
            if (!named)
                PrintSearchedKey(lpName, dwDepth);
            named = true;
            result |= RecurseSearchRegTree(key, name, dwDepth + 1, search.lpKeyNameMatch, search.lpValNameMatch,
                                           search.lpValDataMatch, search.dwMode, search.fWarn, search.fRecurse);
            // A deleted subkey's place is taken by the next one.
            if (SubkeyRemains(key, index, name, &result))
                ++index;
        }
        result |= KeyEnumEndOrReport(status);
    }
    result |= CloseKeyOrReport(key, lpName);
    free(name);
    return result;
}

}  // namespace

DWORD RecurseSearchRegTree(HKEY hParent, LPCWSTR lpName, DWORD dwDepth, LPCWSTR lpKeyNameMatch, LPCWSTR lpValNameMatch,
                           LPCWSTR lpValDataMatch, DWORD dwMode, DWORD fWarn, BOOL fRecurse)
{
    Search search = {lpKeyNameMatch, lpValNameMatch, lpValDataMatch, dwMode, fWarn, fRecurse};
    DWORD result = 0;
    HKEY key;
    // Below the start key, links are opened as themselves and never searched:
    // one may lead back up the tree or out of it.
    DWORD options = dwDepth == 0 ? 0 : REG_OPTION_OPEN_LINK;
    LONG status = RegOpenKeyExW(hParent, lpName, options, KEY_READ | RegViewFlag, &key);
    if (status != ERROR_SUCCESS) {
        result = SayUnopenedKey(status, lpName, dwDepth);
    } else {
        if (dwDepth == 0)
            PrintSearchHeader(lpKeyNameMatch, lpValNameMatch, lpValDataMatch, lpName);
        BOOL link = FALSE;
        if (dwDepth > 0)
            result |= IsRegistryLink(hParent, lpName, key, &link);
        LPCWSTR pattern = MatchedPattern(key, lpName, link != FALSE, search, &result);
        if (pattern) {
            result |= HandleMatch(hParent, lpName, dwDepth, key, pattern, search);
        } else if (link) {
            PrintLinkNotFollowed(lpName, dwDepth);
            result |= CloseKeyOrReport(key, lpName);
        } else {
            result |= SearchSubkeys(key, lpName, dwDepth, search);
        }
    }
    if (dwDepth == 0)
        PrintOut(L"\n");
    return result;
}

DWORD WipeMatchingKeys(LPCWSTR lpSubKey, LPCWSTR lpKeyNameMatch, LPCWSTR lpValDataMatch, DWORD dwMode, DWORD fWarn)
{
    return RecurseSearchRegTree(HKEY_LOCAL_MACHINE, lpSubKey, 0, lpKeyNameMatch, nullptr, lpValDataMatch, dwMode, fWarn,
                                TRUE);
}
