// The users' private keys, deleted on request, are not kept: the record
// notes that they went and holds none of their data.
#include "record/record.h"

#include "record/run_record.h"

void KeepPrivateKeysOut(BOOL fOn)
{
    TheRecord.fPrivateKeys = fOn;
    TheRecord.privateRoot.clear();
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
                     L" and everything below it: the users' private keys, deleted on request, are not kept in this"
                     L" record; their deletion cannot be undone\n\n";
    WriteUndoEntry();
}
