// Access checks against a key's owner and DACL, for the process token.
#pragma once

#include "../security_layout.h"

namespace winsim {

// Generic rights as the registry maps them; the view flags are no rights.
ACCESS_MASK KeyRights(ACCESS_MASK access);
bool AccessGranted(const ObjectSecurity &security, ACCESS_MASK desired);

}  // namespace winsim
