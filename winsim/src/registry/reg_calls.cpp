#include "reg_calls.h"

#include "../machine.h"

namespace winsim {

LONG EnterRegistryCall(const char *function)
{
    Machine &machine = TheMachine();
    unsigned count = ++machine.registryCallCounts[function];
    for (const PlannedFault &fault : machine.registryFaults)
        if (fault.function == function && fault.nth == count)
            return fault.code;
    return 0;
}

unsigned RegistryCallCount(const char *function)
{
    auto found = TheMachine().registryCallCounts.find(function);
    return found == TheMachine().registryCallCounts.end() ? 0 : found->second;
}

void FailRegistryCall(const char *function, unsigned nth, LONG code)
{
    TheMachine().registryFaults.push_back(PlannedFault{function, nth, code});
}

}  // namespace winsim
