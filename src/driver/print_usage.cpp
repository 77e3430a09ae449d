#include <cstdlib>
#include <cstring>

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "report/console_text.h"
#include "report/report.h"

void PrintOptionHelp(const char *name, const char *description)
{
    PrintOut(L"  -%-16hs ", name);
    size_t length = strlen(description);
    char *copy = static_cast<char *>(malloc(length + 1));
    if (!copy) {
        ReportLastError(SOURCE_VXCLEAN, __LINE__, REPORT_ALL, "Out of memory");
        return;
    }
    memcpy(copy, description, length + 1);
    bool first = true;
    for (char *line = strtok(copy, "\n"); line; line = strtok(nullptr, "\n")) {
        int count = static_cast<int>(strlen(line)) + 1;
        wchar_t *wide = static_cast<wchar_t *>(malloc(count * sizeof(wchar_t)));
        if (!wide) {
            ReportLastError(SOURCE_VXCLEAN, __LINE__, REPORT_ALL, "Out of memory");
            break;
        }
        if (!MultiByteToWideChar(CP_ACP, 0, line, -1, wide, count))
            wide[0] = L'\0';
        // Further lines start under the first one, behind the 20 columns of the name.
        if (first)
            PrintOut(L"%ls\n", wide);
        else
            PrintOut(L"%20ls%ls\n", L"", wide);
        first = false;
        free(wide);
    }
    free(copy);
}

void PrintUsage()
{
    PrintOut(L"%ls -install [<command>] [<options>]\n", ProgramName);
    PrintOut(L"VXTEST CSP install info and clearing out\n");
    PrintOut(L"<commands>:\n");
    PrintOptionHelp("show", "Installation information");
    PrintOptionHelp("clear", "Clear out VexaLune CSP");
    PrintOptionHelp("delkeys", "Clear out User keys");
    PrintOptionHelp("help", "Shows this screen");
    PrintOut(L"<options>:\n");
    PrintOptionHelp("warn", "Return error if something redundant left");
    PrintOptionHelp("reboot", "Restart computer");
}
