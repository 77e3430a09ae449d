// The users' private keys are never kept: the record notes that they went
// and holds none of their data. They are the vendor's settings key when it
// is deleted on request, and the key containers
// ("...\Vexa Lune\Settings\USERS\<SID>\Keys") wherever a copy of those
// settings lies, such as the Office click-to-run copies that every removal
// deletes.
#include "record/record.h"

#include "record/run_record.h"

void KeepPrivateKeysOut(BOOL fOn)
{
    TheRecord.fPrivateKeys = fOn;
    TheRecord.privateRoot.clear();
}

BOOL IsPrivateKeyPath(const std::wstring &path)
{
    static const std::wstring USERS = L"\\VEXA LUNE\\SETTINGS\\USERS\\";
    const std::wstring upper = UpperCase(path);
    size_t at = upper.find(USERS);
    if (at == std::wstring::npos)
        return FALSE;
    size_t sidEnd = upper.find(L'\\', at + USERS.size());
    return sidEnd != std::wstring::npos && upper.compare(sidEnd, 5, L"\\KEYS") == 0 &&
           (upper.size() == sidEnd + 5 || upper[sidEnd + 5] == L'\\');
}

void NotePrivateKeys(const std::wstring &path)
{
    const std::wstring &root = TheRecord.privateRoot;
    if (!root.empty() && path.size() > root.size() && path[root.size()] == L'\\' &&
        _wcsnicmp(path.c_str(), root.c_str(), root.size()) == 0)
        return;
    TheRecord.privateRoot = path;
    TheRecord.fPrivateKeysLeftOut = TRUE;
    TheRecord.text = L"; " + OneLine(path) +
                     L" and everything below it: the users' private keys, which no record keeps;"
                     L" their deletion cannot be undone\n\n";
    WriteUndoEntry();
}
