#include <cwchar>

#include "record/record.h"
#include "record/run_record.h"
#include "report/console_log.h"
#include "report/console_text.h"
#include "report/tally.h"
#include "version.h"

namespace {

// Runs started within the same second get folders "-2", "-3"... after the first.
const int FOLDER_ATTEMPTS = 100;

#define WIDE_TEXT(text) L##text
#define WIDE(text) WIDE_TEXT(text)

const wchar_t UNDO_FORMAT[] = L"Windows Registry Editor Version 5.00\n\n";

BOOL MakeFolder(const SYSTEMTIME &now, std::wstring *reason)
{
    WCHAR temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        *reason = L"the temporary folder is not known (" + ErrorText(GetLastError()) + L")";
        return FALSE;
    }
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
        if (CreatePrivateFolder(folder.c_str())) {
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
    if (!CanNameKeys()) {
        *reason = L"ntdll's NtQueryKey, which names the keys, is missing";
        return FALSE;
    }
    // The running user's own key, for the header: HKEY_USERS\<SID>.
    HKEY software;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_QUERY_VALUE, &software) == ERROR_SUCCESS) {
        std::wstring path;
        const size_t suffix = wcslen(L"\\Software");
        if (RealKeyPath(software, &path) == 0 && path.size() > suffix &&
            _wcsicmp(path.c_str() + path.size() - suffix, L"\\Software") == 0)
            TheRecord.userKey = path.substr(0, path.size() - suffix);
        RegCloseKey(software);
    }
    return TRUE;
}

// Who ran what, where and when, and how the file is to be imported.
std::wstring UndoHeader(const std::wstring &path, const SYSTEMTIME &started)
{
    WCHAR computer[MAX_COMPUTERNAME_LENGTH + 1] = L"(unknown)";
    DWORD chars = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &chars);
    WCHAR user[UNLEN + 1] = L"(unknown)";
    chars = UNLEN + 1;
    GetUserNameW(user, &chars);
    const std::wstring &key = TheRecord.userKey;
    std::wstring userKey = key.empty() ? L"" : L" (" + key + L")";
    wchar_t time[32];
    swprintf(time, 32, L"%04u-%02u-%02u %02u:%02u:%02u", started.wYear, started.wMonth, started.wDay, started.wHour,
             started.wMinute, started.wSecond);
    return L"; Undo file of vxclean " WIDE(VXCLEAN_VERSION_TEXT) L", run on " + std::wstring(computer) + L" as " +
           user + OneLine(userKey) + L", started " + time + L".\n" +
           L"; It holds what the registry lost in that run. To put it back, as an administrator:\n" +
           L";   reg import \"" + OneLine(path) + L"\"\n" +
           L"; On 64-bit Windows use the 64-bit reg.exe (C:\\Windows\\System32 of a 64-bit command prompt),\n" +
           L"; which writes each key to the view named here (the 32-bit view's keys under Wow6432Node).\n" +
           L"; With the records of several runs, import the newest first and the oldest last, so that\n" +
           L"; every key and value ends as it was before the first of them.\n\n";
}

BOOL OpenUndoFile(const SYSTEMTIME &started, std::wstring *reason)
{
    std::wstring path = TheRecord.folder + L"\\undo.reg";
    if (!CreateTextFile(&TheRecord.undo, path.c_str())) {
        *reason = L"cannot create " + path + L" (" + ErrorText(GetLastError()) + L")";
        return FALSE;
    }
    AppendText(&TheRecord.undo, UNDO_FORMAT);
    AppendText(&TheRecord.undo, UndoHeader(path, started).c_str());
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
    SYSTEMTIME started;
    GetLocalTime(&started);
    if (MakeFolder(started, &reason)) {
        OpenLog();
        TheRecord.fUndoOpen = FindKeyNames(&reason) && OpenUndoFile(started, &reason);
    }
    if (!TheRecord.folder.empty())
        PrintOut(L"Record of this run: %ls\n", TheRecord.folder.c_str());
    if (!TheRecord.fUndoOpen) {
        TheRecord.noUndo = reason;
        PrintOut(L"No undo file: %ls\n", reason.c_str());
    }
    PrintOut(L"\n");
}

std::wstring RecordFolder()
{
    return TheRecord.folder;
}
