#include "pending_renames.h"

#include "win32api.h"

std::vector<PendingRecord> PendingRenames()
{
    std::vector<PendingRecord> records;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return records;
    DWORD type = 0;
    DWORD size = 0;
    std::wstring data;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ) {
        data.resize(size / sizeof(wchar_t) + 2);
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE *>(&data[0]),
                         &size);
        data.resize(size / sizeof(wchar_t));
    }
    RegCloseKey(key);
    // Pairs of elements; an empty element is a deletion's new name, so the
    // list ends only where a pair cannot start.
    std::vector<std::wstring> elements;
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find(L'\0', start);
        if (end == std::wstring::npos)
            end = data.size();
        elements.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i + 1 < elements.size() && !elements[i].empty(); i += 2)
        records.push_back(PendingRecord{elements[i], elements[i + 1]});
    return records;
}
