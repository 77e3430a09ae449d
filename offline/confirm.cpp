// The question before anything is removed, asked on the terminal.
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "offline_program.h"
#include "winsim/utf8.h"

namespace offline {

int Confirm(const std::string &root)
{
    if (!isatty(STDIN_FILENO)) {
        Complain(L"no terminal to ask on: give --yes to remove without asking");
        return 2;
    }
    const wchar_t *version = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::string product = winsim::EncodeUtf8(MachineString(version, L"ProductName").c_str());
    std::string build = winsim::EncodeUtf8(MachineString(version, L"CurrentBuild").c_str());
    std::printf("Remove the VexaLune products from %s %s on %s? [y/N] ", product.c_str(), build.c_str(), root.c_str());
    std::fflush(stdout);
    char line[64] = "";
    std::string answer = std::fgets(line, sizeof line, stdin) ? line : "";
    while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back())))
        answer.pop_back();
    for (char &c : answer)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "y" || answer == "yes" ? 0 : 1;
}

}  // namespace offline
