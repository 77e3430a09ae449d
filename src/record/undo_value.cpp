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
        UndoMissing(std::wstring(L"the value \"") + lpName + L"\"", status);
        return;
    }
    if (ValueSavedBefore(path, lpName))
        return;
    std::wstring &text = TheRecord.text;
    text.clear();
    AppendKeyLine(&text, path);
    if (!AppendValueLine(&text, lpName, type, reinterpret_cast<const BYTE *>(bytes.data()),
                         static_cast<DWORD>(bytes.size())))
        UndoMissing(L"a value whose name holds a line break", ERROR_INVALID_NAME);
    text.append(L"\n");
    WriteUndoEntry();
}
