// A key about to be taken over and deleted: its original owner and DACL
// first, as a comment (the format has no place for them), then the key with
// every value it holds.
#include "record/record.h"

#include "driver/process_state.h"
#include "record/run_record.h"
#include "registry/registry.h"

namespace {

const DWORD SECURITY_BUFFER = 512;
const SECURITY_INFORMATION OWNER_AND_DACL = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

LONG ReadSddl(HKEY hKey, std::wstring *sddl)
{
    std::vector<BYTE> descriptor(SECURITY_BUFFER);
    DWORD size = SECURITY_BUFFER;
    LONG status = RegGetKeySecurity(hKey, OWNER_AND_DACL, descriptor.data(), &size);
    if (status == ERROR_INSUFFICIENT_BUFFER) {
        descriptor.resize(size);
        status = RegGetKeySecurity(hKey, OWNER_AND_DACL, descriptor.data(), &size);
    }
    if (status != ERROR_SUCCESS)
        return status;
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1, OWNER_AND_DACL, &text,
                                                              nullptr))
        return static_cast<LONG>(GetLastError());
    *sddl = text;
    LocalFree(text);
    return 0;
}

// The values of an open key, read whole: 0 or the enumeration's failure.
LONG AppendValues(HKEY hKey, const std::wstring &path)
{
    RunRecord &record = TheRecord;
    record.name.resize(VALUE_NAME_CHARS);
    if (record.data.empty())
        record.data.resize(4096);
    const std::set<std::wstring> *saved = SavedValuesOf(path);
    for (DWORD index = 0;;) {
        DWORD nameChars = VALUE_NAME_CHARS;
        DWORD size = static_cast<DWORD>(record.data.size());
        DWORD type = REG_NONE;
        LONG status =
            RegEnumValueW(hKey, index, record.name.data(), &nameChars, nullptr, &type, record.data.data(), &size);
        if (status == ERROR_MORE_DATA && size > record.data.size()) {
            record.data.resize(size);
            continue;
        }
        if (status == ERROR_NO_MORE_ITEMS)
            return 0;
        if (status != ERROR_SUCCESS)
            return status;
        ++index;
        const std::wstring name(record.name.data(), nameChars);
        if (saved && saved->count(UpperCase(name)))
            continue;
        std::string bytes = WindowsValueBytes(type, record.data.data(), size);
        // A NUL inside the name would write another value's name.
        if (!IsWritablePath(name) ||
            !AppendValueLine(&record.text, name.c_str(), type, reinterpret_cast<const BYTE *>(bytes.data()),
                             static_cast<DWORD>(bytes.size())))
            UndoMissing(L"the value \"" + name + L"\" of " + path, L"its name cannot be written in the file");
    }
}

}  // namespace

LONG UndoKeySecurity(HKEY hParent, LPCWSTR lpSubKey)
{
    if (!UndoActive())
        return 0;
    HKEY key;
    LONG status = RegOpenKeyExW(hParent, lpSubKey, REG_OPTION_OPEN_LINK, READ_CONTROL | RegViewFlag, &key);
    if (status != ERROR_SUCCESS)
        return status;
    std::wstring path;
    std::wstring sddl;
    // A key whose path the file cannot hold is named as missing by UndoKey,
    // and the users' private keys leave no trace but a note.
    if ((status = RealKeyPath(key, &path)) == 0 && IsWritablePath(path) && !TheRecord.fPrivateKeys &&
        !IsPrivateKeyPath(path) && (status = ReadSddl(key, &sddl)) == 0) {
        TheRecord.text = L"; Owner and DACL of " + path + L" before the run: " + sddl + L"\n";
        WriteUndoEntry();
    }
    RegCloseKey(key);
    return status;
}

void UndoKey(HKEY hKey, LONG lSecurityRead)
{
    if (!UndoActive())
        return;
    std::wstring path;
    if (LONG status = RealKeyPath(hKey, &path)) {
        UndoMissingStatus(L"a key that could not be named", status);
        return;
    }
    if (TheRecord.fPrivateKeys || IsPrivateKeyPath(path)) {
        NotePrivateKeys(path);
        return;
    }
    if (!IsWritablePath(path)) {
        UndoMissing(L"the key " + path, L"its name cannot be written in the file");
        return;
    }
    std::wstring &text = TheRecord.text;
    text.clear();
    if (lSecurityRead != 0) {
        text = L"; Owner and DACL of " + path + L" before the run could not be read (" +
               ErrorText(static_cast<DWORD>(lSecurityRead)) + L")\n";
        UndoMissingStatus(L"the owner and DACL of " + path, lSecurityRead);
    }
    AppendKeyLine(&text, path);
    if (LONG status = AppendValues(hKey, path))
        UndoMissingStatus(L"values of " + path, status);
    text.append(L"\n");
    WriteUndoEntry();
}
