// vxclean-offline [--yes] [--delkeys] [--show] WINDOWS_ROOT
#include <cstring>

#include "offline_program.h"

namespace offline {

bool ParseOptions(int argc, char **argv, Options *options, std::string *error)
{
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--yes") == 0)
            options->yes = true;
        else if (std::strcmp(argument, "--delkeys") == 0)
            options->delkeys = true;
        else if (std::strcmp(argument, "--show") == 0)
            options->show = true;
        else if (argument[0] == '-' && argument[1] != '\0')
            *error = std::string("unknown option ") + argument;
        else if (!options->root.empty())
            *error = "one Windows root only";
        else
            options->root = argument;
        if (!error->empty())
            return false;
    }
    if (options->root.empty())
        *error = "no Windows root given";
    return error->empty();
}

}  // namespace offline
