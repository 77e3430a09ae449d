#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "report/console_text.h"
#include "report/report.h"
#include "report/tally.h"
#include "report/widen_format.h"

namespace {

const WORD ATTRIBUTE_ALARM = FOREGROUND_RED | FOREGROUND_INTENSITY;
const WORD ATTRIBUTE_DETAIL = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE | FOREGROUND_INTENSITY;

void FlushBoth()
{
    fflush(stdout);
    fflush(stderr);
}

WCHAR *SystemText(DWORD code)
{
    WCHAR *text = nullptr;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0) {
        if (GetLastError() == ERROR_RESOURCE_LANG_NOT_FOUND)
            PrintErr(L"can not format error message\n");
        LocalFree(text);
        return nullptr;
    }
    return text;
}

DWORD ReportBlock(const char *sourceFile, int line, DWORD code, DWORD flags, const char *format, va_list args)
{
    HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    WORD savedAttribute = GetConsoleScreenBufferInfo(console, &info) ? info.wAttributes : 0;
    SetConsoleTextAttribute(console, ATTRIBUTE_ALARM);
    FlushBoth();

    WCHAR *text = SystemText(code);
    if (flags & REPORT_LOCATION)
        PrintErr(L"An error occurred in running the program.\n");
    SetConsoleTextAttribute(console, ATTRIBUTE_DETAIL);
    if (flags & REPORT_LOCATION)
        PrintErr(L"%hs:%d:", sourceFile, line);
    PrintTextV(stderr, WidenFormat(format).c_str(), args);
    PrintErr(L"\n");
    if (flags & REPORT_NUMBER)
        PrintErr(L"Error number 0x%lx (%ld).\n", static_cast<unsigned long>(code),
                 static_cast<long>(static_cast<LONG>(code)));
    if ((flags & REPORT_TEXT) && text && PrintWideLine(text) != 0)
        PrintErr(L"Cannot display error message.\n");
    LocalFree(text);

    SetConsoleTextAttribute(console, savedAttribute);
    FlushBoth();
    DWORD result = code ? code : REPORT_CODE_NONE;
    SetLastError(result);
    return result;
}

}  // namespace

DWORD PrintWideLine(const wchar_t *text)
{
    size_t size = (wcslen(text) + 1) * sizeof(wchar_t);
    wchar_t *copy = static_cast<wchar_t *>(malloc(size));
    if (!copy)
        return ERROR_NOT_ENOUGH_MEMORY;
    memcpy(copy, text, size);
    PrintErr(L"%ls\n", copy);
    free(copy);
    return 0;
}

DWORD ReportErrorV(const char *sourceFile, int line, DWORD code, DWORD flags, const char *format, va_list args)
{
    Tally(TALLY_FAILURES);
    return ReportBlock(sourceFile, line, code, flags, format, args);
}

DWORD ReportError(const char *sourceFile, int line, DWORD code, DWORD flags, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    DWORD result = ReportErrorV(sourceFile, line, code, flags, format, args);
    va_end(args);
    return result;
}

DWORD ReportLastError(const char *sourceFile, int line, DWORD flags, const char *format, ...)
{
    DWORD code = GetLastError();
    va_list args;
    va_start(args, format);
    DWORD result = ReportErrorV(sourceFile, line, code, flags, format, args);
    va_end(args);
    return result;
}

DWORD ReportStepFailure(DWORD failuresBefore, const char *sourceFile, int line, const char *format, ...)
{
    DWORD code = GetLastError();
    if (TallyOf(TALLY_FAILURES) == failuresBefore)
        Tally(TALLY_FAILURES);
    va_list args;
    va_start(args, format);
    DWORD result = ReportBlock(sourceFile, line, code, REPORT_ALL, format, args);
    va_end(args);
    return result;
}

DWORD ReportResidue(const char *sourceFile, int line, const char *format, ...)
{
    DWORD code = GetLastError();
    Tally(TALLY_RESIDUE);
    va_list args;
    va_start(args, format);
    DWORD result = ReportBlock(sourceFile, line, code, REPORT_ALL, format, args);
    va_end(args);
    return result;
}
