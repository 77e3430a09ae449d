// System message texts, with Windows' own wording, and the local heap they live in.
#include <cstdlib>
#include <cwchar>

#include "machine.h"

namespace {

struct SystemMessage {
    DWORD code;
    const wchar_t *text;
};

const SystemMessage systemMessages[] = {
    {0, L"The operation completed successfully.\r\n"},
    {1, L"Incorrect function.\r\n"},
    {2, L"The system cannot find the file specified.\r\n"},
    {3, L"The system cannot find the path specified.\r\n"},
    {4, L"The system cannot open the file.\r\n"},
    {5, L"Access is denied.\r\n"},
    {6, L"The handle is invalid.\r\n"},
    {8, L"Not enough memory resources are available to process this command.\r\n"},
    {17, L"The system cannot move the file to a different disk drive.\r\n"},
    {18, L"There are no more files.\r\n"},
    {19, L"The media is write protected.\r\n"},
    {32, L"The process cannot access the file because it is being used by another process.\r\n"},
    {80, L"The file exists.\r\n"},
    {87, L"The parameter is incorrect.\r\n"},
    {122, L"The data area passed to a system call is too small.\r\n"},
    {123, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, L"The specified module could not be found.\r\n"},
    {127, L"The specified procedure could not be found.\r\n"},
    {145, L"The directory is not empty.\r\n"},
    {183, L"Cannot create a file when that file already exists.\r\n"},
    {206, L"The filename or extension is too long.\r\n"},
    {259, L"No more data is available.\r\n"},
    {267, L"The directory name is invalid.\r\n"},
    {1117, L"The request could not be performed because of an I/O device error.\r\n"},
    {1300, L"Not all privileges or groups referenced are assigned to the caller.\r\n"},
    {1313, L"A specified privilege does not exist.\r\n"},
    {1314, L"A required privilege is not held by the client.\r\n"},
    {1815, L"The specified resource language ID cannot be found in the image file.\r\n"},
    {1921, L"The name of the file cannot be resolved by the system.\r\n"},
};

const wchar_t *FindSystemMessage(DWORD code)
{
    for (const SystemMessage &message : systemMessages)
        if (message.code == code)
            return message.text;
    return nullptr;
}

}  // namespace

DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer, DWORD nSize,
                            va_list *)
{
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || dwLanguageId != 0 || !lpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const wchar_t *text = FindSystemMessage(dwMessageId);
    if (!text) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    size_t length = std::wcslen(text);
    WCHAR *target = lpBuffer;
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        target =
            static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, (length + 1 > nSize ? length + 1 : nSize) * sizeof(WCHAR)));
        if (!target)
            return 0;
        *reinterpret_cast<WCHAR **>(lpBuffer) = target;
    } else if (length + 1 > nSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wmemcpy(target, text, length + 1);
    return static_cast<DWORD>(length);
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, size_t uBytes)
{
    void *memory = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, uBytes ? uBytes : 1) : std::malloc(uBytes ? uBytes : 1);
    if (!memory)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return memory;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    std::free(hMem);
    return nullptr;
}
