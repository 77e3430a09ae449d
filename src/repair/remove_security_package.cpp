#include <cwchar>

#include "driver/process_state.h"
#include "record/findings.h"
#include "record/record.h"
#include "repair/security_packages.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const wchar_t LSA_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const wchar_t PACKAGES_VALUE[] = L"Security Packages";
// An element of two quotes asks that the system packages be left alone.
const wchar_t NO_SYSTEM_PACKAGES[] = L"\"\"";
const wchar_t SCHANNEL[] = L"schannel";
const wchar_t KERBEROS[] = L"kerberos";
const wchar_t MSV1_0[] = L"msv1_0";
const wchar_t *const SYSTEM_PACKAGES[] = {SCHANNEL, KERBEROS, MSV1_0};
// The system packages with their NULs, all of which may be appended.
const DWORD APPEND_CHARS = (sizeof SCHANNEL + sizeof KERBEROS + sizeof MSV1_0) / sizeof(WCHAR);
// A list rewritten without its product's element may gain its last
// element's NUL and the closing NUL, if the value lacked them.
const DWORD MISSING_NULS = 2;

struct PackageBuffers {
    WCHAR *read;  // the value as read
    WCHAR *list;  // the list to write
};

// Every character of the list, a NUL shown as a space. Printed a piece at a
// time as text: formatting arbitrary data one character at a time can fail
// where text does not.
void PrintList(LPCWSTR lpLabel, const WCHAR *lpList, DWORD n)
{
    const DWORD PIECE_CHARS = 256;
    WCHAR piece[PIECE_CHARS + 1];
    PrintOut(L"  %ls Security Packages: [", lpLabel);
    for (DWORD p = 0; p < n;) {
        DWORD count = 0;
        for (; count < PIECE_CHARS && p < n; ++p)
            piece[count++] = lpList[p] ? lpList[p] : L' ';
        piece[count] = L'\0';
        PrintOut(L"%ls", piece);
    }
    PrintOut(L"]\n");
}

// Both buffers, zero-filled: one as large as the value, one for the largest
// list that can be written from it. FALSE when either cannot be had.
BOOL ObtainBuffers(DWORD dwSize, PackageBuffers *lpBuffers)
{
    unsigned long long listBytes =
        (static_cast<unsigned long long>(dwSize / sizeof(WCHAR)) + MISSING_NULS + APPEND_CHARS) * sizeof(WCHAR);
    if (listBytes > 0xFFFFFFFFull || listBytes > static_cast<SIZE_T>(-1))
        return FALSE;
    // Never 0 bytes, which VirtualAlloc refuses; an empty value reads into one character.
    lpBuffers->read =
        static_cast<WCHAR *>(VirtualAlloc(nullptr, dwSize ? dwSize : sizeof(WCHAR), MEM_COMMIT, PAGE_READWRITE));
    lpBuffers->list =
        static_cast<WCHAR *>(VirtualAlloc(nullptr, static_cast<SIZE_T>(listBytes), MEM_COMMIT, PAGE_READWRITE));
    return lpBuffers->read && lpBuffers->list;
}

void ReleaseBuffers(PackageBuffers *lpBuffers)
{
    if (lpBuffers->read)
        VirtualFree(lpBuffers->read, 0, MEM_RELEASE);
    if (lpBuffers->list)
        VirtualFree(lpBuffers->list, 0, MEM_RELEASE);
}

// The value into a buffer of its own size: 0, or the result of the report made.
DWORD ReadPackages(HKEY hKey, PackageBuffers *lpBuffers, DWORD *lpType, DWORD *lpSize)
{
    LONG status = RegQueryValueExW(hKey, PACKAGES_VALUE, nullptr, lpType, nullptr, lpSize);
    if (status != ERROR_SUCCESS)
        return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegQueryValueEx failed");
    if (!ObtainBuffers(*lpSize, lpBuffers))
        return ReportError(SOURCE_INSTALL, __LINE__, ERROR_NOT_ENOUGH_MEMORY, REPORT_ALL, "Not enough memory");
    // The size asked for: a value that grew since is refused, never cut.
    status = RegQueryValueExW(hKey, PACKAGES_VALUE, nullptr, lpType, reinterpret_cast<BYTE *>(lpBuffers->read), lpSize);
    if (status != ERROR_SUCCESS)
        return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegQueryValueEx failed");
    // Text of another type, or bytes that make no whole characters, may be
    // anything: rewriting it as a list could destroy what it holds.
    if (*lpType != REG_MULTI_SZ || *lpSize % sizeof(WCHAR) != 0)
        return ReportError(SOURCE_INSTALL, __LINE__, ERROR_INVALID_DATA, REPORT_ALL,
                           "Security Packages is not a multi-string (type %lu, %lu bytes): left unchanged",
                           static_cast<unsigned long>(*lpType), static_cast<unsigned long>(*lpSize));
    return 0;
}

// The elements of the value but the one at dwSkip, each with its NUL, and
// the closing NUL: a value without its closing element is closed here.
DWORD CopyPackagesWithout(const WCHAR *lpRead, DWORD dwEnd, DWORD dwSkip, WCHAR *lpList)
{
    DWORD i = 0;
    for (DWORD p = 0; p < dwEnd; p += PackageLength(lpRead, dwEnd, p) + 1) {
        DWORD length = PackageLength(lpRead, dwEnd, p);
        if (p != dwSkip) {
            wmemcpy(lpList + i, lpRead + p, length);
            i += length;
            lpList[i++] = L'\0';
        }
    }
    lpList[i] = L'\0';
    return i;
}

// The position of the first element equal to lpPackage, or dwEnd; clears
// *lpRepairSystem at an element of two quotes before it.
DWORD FindPackage(const WCHAR *lpRead, DWORD dwEnd, LPCWSTR lpPackage, BOOL *lpRepairSystem)
{
    for (DWORD p = 0; p < dwEnd; p += PackageLength(lpRead, dwEnd, p) + 1) {
        if (IsPackage(lpRead, dwEnd, p, NO_SYSTEM_PACKAGES))
            *lpRepairSystem = FALSE;
        if (IsPackage(lpRead, dwEnd, p, lpPackage))
            return p;
    }
    return dwEnd;
}

// Builds the list without the element at dwFound, with the missing system
// packages when asked, and writes it; an unchanged list goes back exactly as
// it was read. 0, or the registry's code.
DWORD WritePackages(HKEY hKey, const PackageBuffers *lpBuffers, DWORD dwType, DWORD n, DWORD dwFound,
                    BOOL fRepairSystem, BOOL fMayRepair)
{
    const WCHAR *read = lpBuffers->read;
    WCHAR *list = lpBuffers->list;
    DWORD end = PackageListEnd(read, n);
    DWORD i = CopyPackagesWithout(read, end, dwFound, list);
    BOOL changed = dwFound < end;
    if (fRepairSystem && !fMayRepair) {
        PrintOut(L"  Will not repair system packages.\n");
    } else if (fRepairSystem) {
        for (LPCWSTR name : SYSTEM_PACKAGES) {
            if (!HasPackage(list, i, name)) {
                AppendPackage(list, &i, name);
                list[i] = L'\0';
                changed = TRUE;
            }
        }
    }
    // A value out of form stays as it is when nothing changes: written back,
    // the registry would count a character past its end as its terminator.
    if (!changed && !HasClosingElement(read, n)) {
        PrintOut(L"  Nothing to change: the value is left as it was.\n\n");
        return 0;
    }
    const WCHAR *written = changed ? list : read;
    DWORD writtenChars = changed ? i + 1 : n;
    PrintList(L"New", written, writtenChars);
    UndoValue(hKey, PACKAGES_VALUE);
    LONG status = RegSetValueExW(hKey, PACKAGES_VALUE, 0, dwType, reinterpret_cast<const BYTE *>(written),
                                 writtenChars * static_cast<DWORD>(sizeof(WCHAR)));
    if (status != ERROR_SUCCESS)
        return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegSetValueEx failed");
    if (changed) {
        RebootNeeded = 1;
        NoteListRepaired(hKey, PACKAGES_VALUE);
    }
    PrintOut(L"\n");
    return 0;
}

}  // namespace

DWORD RemoveSecurityPackage(LPCWSTR lpOperation, LPCWSTR lpPackage, BOOL fRepairSystem, DWORD dwMode, DWORD fWarn)
{
    PrintOut(L"%ls\n", lpOperation);
    HKEY key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, LSA_KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | RegViewFlag, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<DWORD>(status);

    PackageBuffers buffers = {nullptr, nullptr};
    DWORD type = REG_NONE;
    DWORD size = 0;
    DWORD result = ReadPackages(key, &buffers, &type, &size);
    if (result == 0) {
        DWORD n = size / sizeof(WCHAR);
        PrintList(L"Old", buffers.read, n);
        if (!HasClosingElement(buffers.read, n))
            PrintOut(L"  No closing empty element: the list ends with the value.\n");
        DWORD end = PackageListEnd(buffers.read, n);
        BOOL mayRepair = TRUE;
        DWORD found = FindPackage(buffers.read, end, lpPackage, &mayRepair);
        if (found < end) {
            PrintOut(L"    found: %ls\n", lpPackage);
            if (fWarn)
                result = ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found");
            if (dwMode != MODE_REMOVE)
                NoteFoundListEntry(key, PACKAGES_VALUE, lpPackage);
        } else {
            PrintOut(L"    not found: %ls\n", lpPackage);
        }
        if (dwMode != MODE_REMOVE) {
            PrintOut(L"\n");
        } else if (DWORD failed = WritePackages(key, &buffers, type, n, found, fRepairSystem, mayRepair)) {
            result = failed;
        }
    }
    RegCloseKey(key);
    ReleaseBuffers(&buffers);
    return result;
}
