#include "record/record.h"

#include "record/run_record.h"

void UndoValue(HKEY hKey, LPCWSTR lpName)
{
    if (!UndoActive())
        return;
    std::wstring path;
    DWORD type = REG_NONE;
    std::string bytes;
    if (LONG status = ReadValue(hKey, lpName, &path, &type, &bytes)) {
        UndoMissingStatus(std::wstring(L"the value \"") + lpName + L"\"", status);
        return;
    }
    if (!IsWritablePath(path)) {
        UndoMissing(std::wstring(L"the value \"") + lpName + L"\" of " + path,
                    L"its key's name cannot be written in the file");
        return;
    }
    if (ValueSavedBefore(path, lpName))
        return;
    std::wstring &text = TheRecord.text;
    text.clear();
    AppendKeyLine(&text, path);
    if (!AppendValueLine(&text, lpName, type, reinterpret_cast<const BYTE *>(bytes.data()),
                         static_cast<DWORD>(bytes.size())))
        UndoMissing(std::wstring(L"the value \"") + lpName + L"\" of " + path,
                    L"its name cannot be written in the file");
    text.append(L"\n");
    WriteUndoEntry();
}
