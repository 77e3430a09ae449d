// Delete-at-restart records, where Windows keeps them: pairs of names in the
// multi-string "PendingFileRenameOperations" of the session manager's key,
// the path with "\??\" before it and the new name, empty for a deletion.
#include <unistd.h>

#include "file_system.h"
#include "registry/reg_key.h"
#include "utf16.h"

namespace winsim {
namespace {

const wchar_t VALUE_NAME[] = L"PendingFileRenameOperations";

struct PendingRename {
    std::wstring from;
    std::wstring to;
};

RegKey *SessionManager()
{
    KeyPtr key;
    bool created;
    CreatePath({L"MACHINE", L"SYSTEM", L"CurrentControlSet", L"Control", L"Session Manager"}, false, false, nullptr,
               &key, &created);
    return key.get();
}

// The elements of the list, without the empty one that closes it.
std::vector<std::wstring> Elements(const RegValue *value)
{
    std::vector<std::wstring> elements;
    if (!value || value->type != REG_MULTI_SZ)
        return elements;
    std::wstring data = DecodeUtf16(value->data.data(), value->data.size());
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find(L'\0', start);
        if (end == std::wstring::npos)
            end = data.size();
        elements.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    // A deletion's new name is empty too: the list ends where a pair cannot start.
    size_t whole = 0;
    while (whole + 1 < elements.size() && !elements[whole].empty())
        whole += 2;
    elements.resize(whole);
    return elements;
}

std::vector<PendingRename> Records()
{
    std::vector<std::wstring> elements = Elements(FindValue(*SessionManager(), VALUE_NAME));
    std::vector<PendingRename> records;
    for (size_t i = 0; i + 1 < elements.size(); i += 2)
        records.push_back(PendingRename{elements[i], elements[i + 1]});
    return records;
}

}  // namespace

void RecordPendingFileRename(const std::wstring &from, const std::wstring &to)
{
    RegKey *key = SessionManager();
    std::wstring data;
    for (const std::wstring &element : Elements(FindValue(*key, VALUE_NAME)))
        data += element + L'\0';
    data += from + L'\0' + to + L'\0' + L'\0';
    SetValue(*key, VALUE_NAME, REG_MULTI_SZ, EncodeUtf16(data));
}

void CarryOutPendingFileRenames()
{
    TheMachine().files.loadedImages.clear();
    for (const PendingRename &record : Records()) {
        ResolvedPath item;
        std::wstring path = record.from.substr(4);
        if (ResolvePath(path.c_str(), item) || !item.exists)
            continue;
        if (!record.to.empty()) {
            std::wstring to = record.to.substr(record.to[0] == L'!' ? 5 : 4);
            MoveFileExW(path.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
        } else if (IsFolder(item) && !IsJunction(item)) {
            rmdir(item.host.c_str());
        } else {
            unlink(item.host.c_str());
        }
    }
    RegKey *key = SessionManager();
    for (auto value = key->values.begin(); value != key->values.end(); ++value) {
        if (SameName(value->name, VALUE_NAME)) {
            key->values.erase(value);
            break;
        }
    }
}

void SetPendingRenameError(DWORD error)
{
    TheMachine().files.pendingRenameError = error;
}

}  // namespace winsim
