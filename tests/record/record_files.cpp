#include "record_files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

#include "win32api.h"
#ifndef _WIN32
#include <winsim/control.h>
#endif

namespace {

std::wstring TempFolder()
{
    WCHAR temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder(temp, length);
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

std::wstring FilePath(const std::wstring &folder, const wchar_t *name)
{
    return folder + L"\\" + name;
}

}  // namespace

std::vector<std::wstring> RecordFolders()
{
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((TempFolder() + L"\\vxclean-*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do
        folders.push_back(TempFolder() + L"\\" + data.cFileName);
    while (FindNextFileW(search, &data));
    FindClose(search);
    // A run in the same second as another takes its name with "-2", "-3"...
    // after it: the suffixes count, "-10" comes after "-9".
    auto order = [](const std::wstring &folder) {
        size_t stamp = folder.rfind(L"vxclean-") + std::wstring(L"vxclean-YYYYMMDD-HHMMSS").size();
        return std::make_tuple(folder.substr(0, stamp), folder.size(), folder);
    };
    std::sort(folders.begin(), folders.end(),
              [&](const std::wstring &a, const std::wstring &b) { return order(a) < order(b); });
    return folders;
}

std::wstring RecordText(const std::wstring &folder, const wchar_t *name)
{
    HANDLE file = CreateFileW(FilePath(folder, name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return L"";
    std::string bytes;
    char chunk[65536];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
        bytes.append(chunk, got);
    CloseHandle(file);
    std::vector<unsigned> units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    std::wstring text;
    for (size_t i = 0; i < units.size(); ++i) {
        unsigned c = units[i];
        // A pair is one character where wide characters are four bytes.
        if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c != L'\r' || i + 1 == units.size() || units[i + 1] != L'\n')
            text.push_back(static_cast<wchar_t>(c));
    }
    return text;
}

const char *UndoImportLimit()
{
#ifdef _WIN32
    // The regedit that "regedit" starts from a 32-bit process is a 32-bit one.
    bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (wine && sizeof(void *) == 4)
        return "Wine's 32-bit regedit adds a terminator to a string imported without one, and on 64-bit Windows "
               "puts the keys of a 32-bit view's tree elsewhere (measured with Wine 8.0)";
#endif
    return nullptr;
}

bool ImportUndoFile(const std::wstring &folder)
{
#ifdef _WIN32
    std::wstring command = L"regedit /s \"" + FilePath(folder, L"undo.reg") + L"\"";
    return _wsystem(command.c_str()) == 0;
#else
    std::wstring text = RecordText(folder, L"undo.reg");
    std::wstring reason;
    return !text.empty() && winsim::ImportRegistry(text, &reason);
#endif
}
