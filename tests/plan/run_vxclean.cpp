#include "run_vxclean.h"

#include <vector>

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "output_capture.h"

Outcome RunVxclean(std::initializer_list<const wchar_t *> options)
{
    std::vector<const wchar_t *> argv = {L"vxclean"};
    argv.insert(argv.end(), options.begin(), options.end());
    woptind = 0;
    ProgramName = argv[0];
    RegViewFlag = 0;
    RebootNeeded = 0;
    OutputCapture capture;
    Outcome run;
    run.status = InstallCommand(static_cast<int>(argv.size()), argv.data());
    run.out = capture.Out();
    run.err = capture.Err();
    return run;
}
