#include "call_faults.h"

#include "machine.h"
#include "registry/wow64_view.h"

namespace winsim {

LONG EnterCall(const char *function)
{
    Machine &machine = TheMachine();
    unsigned count = ++machine.callCounts[function];
    for (const PlannedFault &kill : machine.kills)
        if (kill.function == function && kill.nth == count) {
            machine.kills.clear();
            throw ProcessKilled();
        }
    for (const PlannedFault &fault : machine.callFaults)
        if (fault.function == function && fault.nth == count)
            return fault.code;
    return 0;
}

LONG KeyFault(const char *function, const RegKey &key, const std::wstring &entry)
{
    if (key.deleted)
        return 0;
    for (const PlannedKeyFault &fault : TheMachine().keyFaults)
        if (fault.function == function && fault.key.lock().get() == &key &&
            (fault.entry.empty() || SameName(fault.entry, entry)))
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

void KillAtCall(const char *function, unsigned nth)
{
    TheMachine().kills.push_back(PlannedFault{function, nth, 0});
}

bool FailKeyCall(const char *function, const std::wstring &path, LONG code, const std::wstring &entry, REGSAM view)
{
    KeyPath full = {L"MACHINE"};
    for (const std::wstring &name : SplitPath(path.c_str()))
        full.push_back(name);
    KeyPtr key;
    if (WalkPath(ViewPath(full, view), true, &key) != ERROR_SUCCESS)
        return false;
    TheMachine().keyFaults.push_back(PlannedKeyFault{function, key, entry, code});
    return true;
}

}  // namespace winsim
