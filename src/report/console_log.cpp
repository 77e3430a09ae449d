#include "report/console_log.h"

#include <cwchar>

namespace {

TextFile *consoleLog = nullptr;

}  // namespace

void SetConsoleLog(TextFile *file)
{
    consoleLog = file;
}

void LogConsoleText(const wchar_t *text)
{
    if (!consoleLog)
        return;
    AppendText(consoleLog, text);
    // Each line reaches the file as it is printed, so that a killed run's
    // log ends where the run did.
    if (wcschr(text, L'\n'))
        FlushTextFile(consoleLog);
}
