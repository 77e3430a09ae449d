// Full path names, the temporary folder and temporary file names.
#include <cwchar>

#include "call_faults.h"
#include "file_system.h"

namespace winsim {
namespace {

const wchar_t TEMP_FOLDER[] = L"C:\\Windows\\Temp\\";

DWORD CopyOut(const std::wstring &text, DWORD size, LPWSTR buffer)
{
    if (text.size() >= size)
        return static_cast<DWORD>(text.size() + 1);
    std::wmemcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

}  // namespace
}  // namespace winsim

using namespace winsim;

DWORD WINAPI GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR *lpFilePart)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::wstring full = WindowsFullPath(lpFileName);
    DWORD length = CopyOut(full, nBufferLength, lpBuffer);
    if (length == full.size() && lpFilePart) {
        // No file part when the path ends in a backslash.
        size_t cut = full.rfind(L'\\');
        *lpFilePart = cut + 1 < full.size() ? lpBuffer + cut + 1 : nullptr;
    }
    return length;
}

DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    return CopyOut(TEMP_FOLDER, nBufferLength, lpBuffer);
}

UINT WINAPI GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName)
{
    if (LONG fault = EnterCall("GetTempFileNameW")) {
        SetLastError(static_cast<DWORD>(fault));
        return 0;
    }
    std::wstring folder = lpPathName;
    if (folder.size() > MAX_PATH - 14) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    if (folder.empty() || (folder.back() != L'\\' && folder.back() != L'/'))
        folder += L'\\';
    std::wstring prefix = std::wstring(lpPrefixString).substr(0, 3);
    UINT &next = TheMachine().files.nextTempUnique;
    for (UINT tries = 0; tries < 0xFFFF; ++tries) {
        UINT unique = uUnique ? (uUnique & 0xFFFF) : next;
        if (!uUnique)
            next = next == 0xFFFF ? 1 : next + 1;
        wchar_t number[8];
        std::swprintf(number, 8, L"%X", unique);
        std::wstring name = folder + prefix + number + L".tmp";
        std::wmemcpy(lpTempFileName, name.c_str(), name.size() + 1);
        if (uUnique)
            return unique;
        // With 0 the name is taken by creating the file at once.
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            SetLastError(ERROR_SUCCESS);
            return unique;
        }
        // A name that is taken leads to the next number; any other refusal is
        // the folder's (one that cannot be written), which every name meets.
        if (GetLastError() != ERROR_FILE_EXISTS)
            return 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
