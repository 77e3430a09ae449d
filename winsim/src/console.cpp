// The console behind the standard handles, and the C runtime's wide text on it.
#include <cstdio>
#include <string>

#include "machine.h"
#include "winsim/utf8.h"

namespace winsim {
namespace {

const uintptr_t STD_INPUT_HANDLE_VALUE = 0x3;
const uintptr_t STD_OUTPUT_HANDLE_VALUE = 0x7;
const uintptr_t STD_ERROR_HANDLE_VALUE = 0xB;

HANDLE StdHandle(uintptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

bool IsConsoleOutput(HANDLE handle)
{
    return TheMachine().consoleAttached &&
           (handle == StdHandle(STD_OUTPUT_HANDLE_VALUE) || handle == StdHandle(STD_ERROR_HANDLE_VALUE));
}

}  // namespace

void SetConsoleAttached(bool attached)
{
    TheMachine().consoleAttached = attached;
}

void SetConsoleOutputCodePage(UINT codePage)
{
    TheMachine().consoleOutputCodePage = codePage;
}

WORD ConsoleAttribute()
{
    return TheMachine().consoleAttribute;
}

const std::vector<WORD> &ConsoleAttributeHistory()
{
    return TheMachine().consoleAttributeHistory;
}

}  // namespace winsim

using namespace winsim;

HANDLE WINAPI GetStdHandle(DWORD nStdHandle)
{
    switch (nStdHandle) {
    case STD_INPUT_HANDLE:
        return StdHandle(STD_INPUT_HANDLE_VALUE);
    case STD_OUTPUT_HANDLE:
        return StdHandle(STD_OUTPUT_HANDLE_VALUE);
    case STD_ERROR_HANDLE:
        return StdHandle(STD_ERROR_HANDLE_VALUE);
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE hConsoleOutput, PCONSOLE_SCREEN_BUFFER_INFO lpInfo)
{
    if (!IsConsoleOutput(hConsoleOutput)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *lpInfo = CONSOLE_SCREEN_BUFFER_INFO{{80, 300}, {0, 0}, TheMachine().consoleAttribute, {0, 0, 79, 24}, {80, 25}};
    return TRUE;
}

BOOL WINAPI SetConsoleTextAttribute(HANDLE hConsoleOutput, WORD wAttributes)
{
    if (!IsConsoleOutput(hConsoleOutput)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    TheMachine().consoleAttribute = wAttributes;
    TheMachine().consoleAttributeHistory.push_back(wAttributes);
    return TRUE;
}

UINT WINAPI GetConsoleOutputCP(void)
{
    return TheMachine().consoleAttached ? TheMachine().consoleOutputCodePage : 0;
}

int winsim_fputws(const wchar_t *text, FILE *stream)
{
    std::string bytes = EncodeUtf8(text);
    return std::fputs(bytes.c_str(), stream) < 0 ? -1 : 0;
}
