// The questions before anything is removed, asked on the terminal.
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "offline_program.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

bool AnsweredYes(const char *question)
{
    std::printf("%s [y/N] ", question);
    std::fflush(stdout);
    char line[64] = "";
    std::string answer = std::fgets(line, sizeof line, stdin) ? line : "";
    while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back())))
        answer.pop_back();
    for (char &c : answer)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "y" || answer == "yes";
}

}  // namespace

bool Confirm(const std::string &root, bool delkeys)
{
    if (!isatty(STDIN_FILENO)) {
        Complain(L"no terminal to ask on: nothing was changed. Give --yes to remove without asking.");
        return false;
    }
    const wchar_t *version = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::string product = winsim::EncodeUtf8(MachineString(version, L"ProductName").c_str());
    std::string build = winsim::EncodeUtf8(MachineString(version, L"CurrentBuild").c_str());
    std::string question = "Remove the VexaLune products from " + product + " " + build + " on " + root + "?";
    const char keys[] = "Also delete the vendor's settings key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexa Lune with the "
                        "users' private keys (key containers) in it? No record of the run keeps them: only the "
                        "hives' backups do, until they are deleted.";
    if (AnsweredYes(question.c_str()) && (!delkeys || AnsweredYes(keys)))
        return true;
    Complain(L"not confirmed: nothing was changed.");
    return false;
}

}  // namespace offline
