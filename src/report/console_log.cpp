#include "report/console_log.h"

namespace {

TextFile *consoleLog = nullptr;

}  // namespace

void SetConsoleLog(TextFile *file)
{
    consoleLog = file;
}

void LogConsoleText(const wchar_t *text)
{
    if (consoleLog)
        AppendText(consoleLog, text);
}
