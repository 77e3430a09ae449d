// The host program's start-up, in the place of the Windows runtime's: the
// arguments arrive as UTF-8 and are handed to wmain as wide strings.
#include <unistd.h>

#include <string>
#include <vector>

#include "machine.h"
#include "utf8.h"

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

    winsim::SetConsoleAttached(isatty(STDOUT_FILENO) != 0);
    winsim::SetTerminalAnswersDialogs(true);
    return wmain(argc, wideArgv.data());
}
