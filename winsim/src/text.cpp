// Conversion from the ANSI code page; the simulated machine's is plain ASCII,
// enough for the program's own option descriptions.
#include "machine.h"

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar)
{
    if (CodePage != CP_ACP || dwFlags != 0 || !lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int count = cbMultiByte;
    if (count < 0) {
        count = 0;
        while (lpMultiByteStr[count++] != '\0') {
        }
    }
    if (cchWideChar == 0)
        return count;
    if (count > cchWideChar) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        unsigned char byte = static_cast<unsigned char>(lpMultiByteStr[i]);
        lpWideCharStr[i] = byte < 0x80 ? static_cast<WCHAR>(byte) : L'?';
    }
    return count;
}
