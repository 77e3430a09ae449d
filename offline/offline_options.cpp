// vxclean-offline [--yes] [--delkeys] [--show] WINDOWS_ROOT, --help, --version
#include <cstring>

#include "offline_program.h"

namespace offline {

bool ParseOptions(int argc, char **argv, Options *options, std::string *error)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (optionsEnded || argument[0] != '-' || argument[1] == '\0') {
            if (!options->root.empty())
                *error = "one Windows root only";
            options->root = argument;
        } else if (std::strcmp(argument, "--") == 0)
            optionsEnded = true;
        else if (std::strcmp(argument, "--yes") == 0)
            options->yes = true;
        else if (std::strcmp(argument, "--delkeys") == 0)
            options->delkeys = true;
        else if (std::strcmp(argument, "--show") == 0)
            options->show = true;
        else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)
            options->help = true;
        else if (std::strcmp(argument, "--version") == 0)
            options->version = true;
        else
            *error = std::string("unknown option ") + argument;
        if (!error->empty())
            return false;
    }
    if (options->root.empty() && !options->help && !options->version)
        *error = "no Windows root given";
    return error->empty();
}

void PrintUsage(FILE *stream, bool whole)
{
    std::fprintf(stream, "Usage: %s [--yes] [--delkeys] [--show] WINDOWS_ROOT\n", PROGRAM);
    if (!whole)
        return;
    std::fprintf(stream, "Removes the VexaLune products from a Windows installation that does not start, mounted\n"
                         "read-write at WINDOWS_ROOT (the folder that holds Windows\\, Program Files\\ and Users\\).\n"
                         "\n"
                         "  --show     report what a removal would delete, and change nothing\n"
                         "  --yes      remove without asking first\n"
                         "  --delkeys  also delete the vendor's settings key with the users' private keys\n"
                         "  --help     this text\n"
                         "  --version  the version\n"
                         "\n"
                         "Each hive that changes is first copied beside itself as <hive>.vxclean-YYYYMMDD-HHMMSS.\n"
                         "\n"
                         "Exit status:\n"
                         "  0  nothing of the products was found, or all of it was removed\n"
                         "  1  --show found the products\n"
                         "  2  refused, or not confirmed: nothing was changed\n"
                         "  3  a step or the writing of a hive failed: run again once its cause is fixed\n");
}

}  // namespace offline
