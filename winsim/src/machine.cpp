#include "machine.h"

#include <cwctype>

#include "security_ids.h"

namespace winsim {

Machine &TheMachine()
{
    static Machine machine;
    return machine;
}

std::wstring Lowercase(const wchar_t *text)
{
    std::wstring lower(text);
    for (wchar_t &c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return lower;
}

void ResetMachine()
{
    ResetUserSid();
    TheMachine() = Machine();
    SetLastError(0);
}

void SetMachineKind(MachineKind kind)
{
    TheMachine().kind = kind;
    TheMachine().registry = FreshRegistry(kind);
    TheMachine().keyHandles.clear();
}

}  // namespace winsim

namespace winsim {

MachineKind GetMachineKind()
{
    return TheMachine().kind;
}

}  // namespace winsim
