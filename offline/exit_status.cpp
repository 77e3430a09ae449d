// vxclean-offline's exit statuses: what a script needs to know, not the
// install command's result, which does not fit in a Linux exit status.
#include "driver/process_state.h"
#include "offline_program.h"
#include "report/tally.h"

namespace offline {
namespace {

bool Report = false;

DWORD SummaryStatus(DWORD result)
{
    return static_cast<DWORD>(ExitStatus(result));
}

}  // namespace

int ExitStatus(DWORD result)
{
    if (TallyOf(TALLY_FAILURES))
        return EXIT_FAILED;
    if (Report)
        return FoundProducts() ? EXIT_FOUND : EXIT_CLEAN;
    return result ? EXIT_FAILED : EXIT_CLEAN;
}

void UseExitStatuses(const Options &options)
{
    Report = options.show;
    ExitStatusOf = SummaryStatus;
}

}  // namespace offline
