#include <cwchar>

#include "record/record.h"
#include "record/run_record.h"
#include "report/console_log.h"
#include "report/console_text.h"
#include "report/tally.h"

namespace {

// Runs started within the same second get folders "-2", "-3"... after the first.
const int FOLDER_ATTEMPTS = 100;

const wchar_t UNDO_HEADER[] = L"Windows Registry Editor Version 5.00\n\n";

BOOL MakeFolder(std::wstring *reason)
{
    WCHAR temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        *reason = L"the temporary folder is not known (" + ErrorText(GetLastError()) + L")";
        return FALSE;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"vxclean-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
    std::wstring base = std::wstring(temp) + (temp[length - 1] == L'\\' ? L"" : L"\\") + name;
    for (int attempt = 1; attempt <= FOLDER_ATTEMPTS; ++attempt) {
        std::wstring folder = base;
        if (attempt > 1) {
            swprintf(name, 64, L"-%d", attempt);
            folder += name;
        }
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            TheRecord.folder = folder;
            return TRUE;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == FOLDER_ATTEMPTS) {
            *reason = L"cannot make the folder " + folder + L" (" + ErrorText(GetLastError()) + L")";
            return FALSE;
        }
    }
    return FALSE;
}

BOOL FindKeyNames(std::wstring *reason)
{
    TheRecord.ntdll = LoadLibraryW(L"ntdll.dll");
    if (TheRecord.ntdll)
        TheRecord.queryKey = reinterpret_cast<NtQueryKeyFunction>(
            reinterpret_cast<void *>(GetProcAddress(TheRecord.ntdll, "NtQueryKey")));
    if (!TheRecord.queryKey) {
        *reason = L"ntdll's NtQueryKey, which names the keys, is missing";
        return FALSE;
    }
    // Keys of HKEY_CURRENT_USER are named below the user's own key.
    HKEY software;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_QUERY_VALUE, &software) == ERROR_SUCCESS) {
        std::wstring name;
        const size_t suffix = wcslen(L"\\Software");
        if (KernelKeyName(software, &name) == 0 && name.size() > suffix &&
            _wcsicmp(name.c_str() + name.size() - suffix, L"\\Software") == 0)
            TheRecord.userKey = name.substr(0, name.size() - suffix);
        RegCloseKey(software);
    }
    return TRUE;
}

BOOL OpenUndoFile(std::wstring *reason)
{
    std::wstring path = TheRecord.folder + L"\\undo.reg";
    if (!CreateTextFile(&TheRecord.undo, path.c_str())) {
        *reason = L"cannot create " + path + L" (" + ErrorText(GetLastError()) + L")";
        return FALSE;
    }
    AppendText(&TheRecord.undo, UNDO_HEADER);
    if (!FlushTextFile(&TheRecord.undo)) {
        *reason = L"cannot write " + path + L" (" + ErrorText(TheRecord.undo.error) + L")";
        CloseTextFile(&TheRecord.undo);
        return FALSE;
    }
    return TRUE;
}

void OpenLog()
{
    std::wstring path = TheRecord.folder + L"\\log.txt";
    if (!CreateTextFile(&TheRecord.log, path.c_str())) {
        TheRecord.logProblem = L"cannot create " + path + L" (" + ErrorText(GetLastError()) + L")";
        return;
    }
    TheRecord.fLogOpen = TRUE;
    SetConsoleLog(&TheRecord.log);
}

}  // namespace

void StartRecord(BOOL fRemove)
{
    SetConsoleLog(nullptr);
    ResetTally();
    TheRecord = RunRecord();
    TheRecord.fKept = fRemove;
    if (!fRemove)
        return;
    std::wstring reason;
    if (MakeFolder(&reason)) {
        OpenLog();
        TheRecord.fUndoOpen = FindKeyNames(&reason) && OpenUndoFile(&reason);
    }
    if (!TheRecord.folder.empty())
        PrintOut(L"Record of this run: %ls\n", TheRecord.folder.c_str());
    if (!TheRecord.fUndoOpen) {
        TheRecord.noUndo = reason;
        PrintOut(L"No undo file: %ls\n", reason.c_str());
    }
    PrintOut(L"\n");
}
