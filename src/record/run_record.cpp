#include <cwchar>
#include <cwctype>

#include "record/run_record.h"
#include "report/console_text.h"

RunRecord TheRecord;

BOOL UndoActive()
{
    return TheRecord.fUndoOpen;
}

std::wstring ErrorText(DWORD code)
{
    wchar_t number[40];
    swprintf(number, 40, L"error %lu", static_cast<unsigned long>(code));
    std::wstring text = number;
    WCHAR *message = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr) &&
        message) {
        std::wstring said = message;
        while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' '))
            said.pop_back();
        text += L": " + said;
    }
    LocalFree(message);
    return text;
}

std::wstring UpperCase(const std::wstring &text)
{
    std::wstring upper = text;
    for (wchar_t &c : upper)
        c = static_cast<wchar_t>(towupper(static_cast<wint_t>(c)));
    return upper;
}

const std::set<std::wstring> *SavedValuesOf(const std::wstring &path)
{
    if (TheRecord.savedValues.empty())
        return nullptr;
    auto found = TheRecord.savedValues.find(UpperCase(path));
    return found == TheRecord.savedValues.end() ? nullptr : &found->second;
}

BOOL ValueSavedBefore(const std::wstring &path, LPCWSTR lpName)
{
    return !TheRecord.savedValues[UpperCase(path)].insert(UpperCase(lpName)).second;
}

LONG ReadValue(HKEY hKey, LPCWSTR lpName, std::wstring *lpPath, DWORD *lpType, std::string *lpBytes)
{
    DWORD size = 0;
    LONG status = RealKeyPath(hKey, lpPath);
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExW(hKey, lpName, nullptr, lpType, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return status;
    // Room for the terminator that a string read back may gain.
    std::vector<BYTE> &data = TheRecord.data;
    data.resize(size + sizeof(wchar_t));
    if ((status = RegQueryValueExW(hKey, lpName, nullptr, lpType, data.data(), &size)) == ERROR_SUCCESS)
        *lpBytes = WindowsValueBytes(*lpType, data.data(), size);
    return status;
}

void UndoMissing(const std::wstring &what, const std::wstring &why)
{
    std::wstring entry = OneLine(what) + L" (" + why + L")";
    PrintOut(L"Not in the undo file: %ls\n", entry.c_str());
    if (TheRecord.dwMissing++ == 0)
        TheRecord.missing = entry;
}

void UndoMissingStatus(const std::wstring &what, LONG status)
{
    UndoMissing(what, ErrorText(static_cast<DWORD>(status)));
}

BOOL IsWritablePath(const std::wstring &path)
{
    return path.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos;
}

std::wstring OneLine(const std::wstring &text)
{
    std::wstring line(text);
    for (wchar_t &c : line)
        if (c == L'\r')
            c = L'\x240D';
        else if (c == L'\n')
            c = L'\x240A';
        else if (c == L'\0')
            c = L'\x2400';
    return line;
}

void WriteUndoEntry()
{
    AppendText(&TheRecord.undo, TheRecord.text.c_str());
    TheRecord.text.clear();
    if (!FlushTextFile(&TheRecord.undo)) {
        TheRecord.writeFailure = ErrorText(TheRecord.undo.error);
        CloseTextFile(&TheRecord.undo);
        TheRecord.fUndoOpen = FALSE;
    }
    // The log goes with it, so that a killed run leaves both up to here.
    if (TheRecord.fLogOpen)
        FlushTextFile(&TheRecord.log);
}
