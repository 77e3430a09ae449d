// The link from a user's Software\Classes to the user's classes hive, which
// Windows makes at logon and which no hive file holds.
#include "registry/reg_key.h"
#include "utf16.h"
#include "winsim/offline_hives.h"

namespace winsim {

bool LinkUserClasses(const std::wstring &sid, std::wstring *reason)
{
    KeyPtr software;
    if (WalkPath({L"USER", sid, L"Software"}, false, &software) != ERROR_SUCCESS) {
        *reason = L"the hive of the user " + sid + L" has no Software key to link the user's classes from";
        return false;
    }
    if (FindChild(*software, L"Classes")) {
        *reason = L"the hive of the user " + sid +
                  L" holds a key Software\\Classes of its own, where Windows "
                  L"links the user's classes hive";
        return false;
    }
    KeyPtr link = AddChild(*software, L"Classes", InheritedSecurity(*software));
    link->link = true;
    std::wstring target = L"\\REGISTRY\\USER\\" + sid + L"_Classes";
    link->values.push_back(RegValue{LINK_VALUE_NAME, REG_LINK, EncodeUtf16(target)});
    return true;
}

}  // namespace winsim
