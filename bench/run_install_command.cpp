// The install command with the arguments given on the command line. The
// program's entry always hands it "-clear"; this lets the benchmark and the
// recorded runs choose report mode and warn as well.
#include "driver/install_command.h"
#include "driver/process_state.h"

extern "C" int wmain(int argc, wchar_t **argv)
{
    ProgramName = argv[0];
    return static_cast<int>(InstallCommand(argc, const_cast<const wchar_t **>(argv)));
}
