#include "classes_view.h"

#include "../security_ids.h"
#include "wow64_view.h"

namespace winsim {

KeyPath MergedClassesPath(const KeyPath &machinePath, REGSAM sam)
{
    const size_t CLASSES_DEPTH = 3;  // MACHINE\SOFTWARE\Classes
    KeyPath machine = ViewPath(machinePath, sam);
    if (machinePath.size() <= CLASSES_DEPTH)
        return machine;
    KeyPath user = {L"USER", SidText(UserSid()), L"Software", L"Classes"};
    user.insert(user.end(), machinePath.begin() + CLASSES_DEPTH, machinePath.end());
    user = ViewPath(user, sam);
    KeyPtr key;
    return WalkPath(user, false, &key) == ERROR_SUCCESS ? user : machine;
}

}  // namespace winsim
