// The host program's start-up, in the place of the Windows runtime's: the
// arguments arrive as UTF-8 and are handed to wmain as wide strings. The
// machine lives in the folder that WINSIM_MACHINE names, or is a fresh one;
// WINSIM_TIME ("YYYY-MM-DD HH:MM:SS") fixes its local clock;
// WINSIM_CALL_COUNTS names a file that receives how often the run made each call.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <string>
#include <vector>

#include "machine.h"
#include "winsim/utf8.h"

extern "C" int wmain(int argc, wchar_t **argv);

int main(int argc, char **argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(winsim::DecodeUtf8(argv[i]));
    std::vector<wchar_t *> wideArgv;
    for (std::wstring &argument : arguments)
        wideArgv.push_back(&argument[0]);
    wideArgv.push_back(nullptr);

    const char *folder = std::getenv("WINSIM_MACHINE");
    std::wstring reason;
    if (folder && !winsim::LoadMachineFolder(folder, &reason)) {
        std::fprintf(stderr, "winsim: cannot load the machine in %s: %s\n", folder,
                     winsim::EncodeUtf8(reason.c_str()).c_str());
        return 2;
    }
    const char *time = std::getenv("WINSIM_TIME");
    if (time && !winsim::SetLocalClock(std::string(time))) {
        std::fprintf(stderr, "winsim: WINSIM_TIME is \"%s\", not a local time as \"YYYY-MM-DD HH:MM:SS\"\n", time);
        return 2;
    }
    winsim::SetConsoleAttached(isatty(STDOUT_FILENO) != 0);
    winsim::SetTerminalAnswersDialogs(true);
    int status = wmain(argc, wideArgv.data());
    fflush(stdout);
    if (const char *counts = std::getenv("WINSIM_CALL_COUNTS")) {
        if (FILE *file = std::fopen(counts, "w")) {
            for (const auto &count : winsim::CallCounts())
                std::fprintf(file, "%s %u\n", count.first.c_str(), count.second);
            std::fclose(file);
        }
    }
    if (folder && !winsim::SaveMachineFolder(folder)) {
        std::fprintf(stderr, "winsim: cannot save the machine in %s\n", folder);
        return 2;
    }
    return status;
}
