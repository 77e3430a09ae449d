#include "call_faults.h"

#include "machine.h"

namespace winsim {

LONG EnterCall(const char *function)
{
    Machine &machine = TheMachine();
    unsigned count = ++machine.callCounts[function];
    for (const PlannedFault &fault : machine.callFaults)
        if (fault.function == function && fault.nth == count)
            return fault.code;
    return 0;
}

unsigned CallCount(const char *function)
{
    auto found = TheMachine().callCounts.find(function);
    return found == TheMachine().callCounts.end() ? 0 : found->second;
}

std::map<std::string, unsigned> CallCounts()
{
    return TheMachine().callCounts;
}

void FailCall(const char *function, unsigned nth, LONG code)
{
    TheMachine().callFaults.push_back(PlannedFault{function, nth, code});
}

}  // namespace winsim
