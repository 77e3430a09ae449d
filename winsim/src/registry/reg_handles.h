// Open registry keys: what a handle names, by which path, with which rights.
#pragma once

#include "reg_key.h"

namespace winsim {

struct KeyHandle {
    KeyPtr key;
    KeyPath path;  // the path as opened, before the view was applied
    ACCESS_MASK access;
    bool mergedClasses = false;  // HKEY_CLASSES_ROOT or a key opened below it
};

// The path that a subkey of the handle names, in the view the mask selects.
KeyPath SubkeyPath(const KeyHandle &parent, const KeyPath &path, REGSAM sam);

// ERROR_INVALID_HANDLE for an unknown handle, ERROR_KEY_DELETED when the key is gone.
LONG LookUpKey(HKEY handle, KeyHandle *found);
HKEY OpenKeyHandle(const KeyHandle &handle);
bool CloseKeyHandle(HKEY handle);
// ntdll's view of a handle: the predefined keys are advapi32's own handles,
// unknown to it. 0, STATUS_INVALID_HANDLE or STATUS_KEY_DELETED.
LONG LookUpNtKey(HANDLE handle, KeyHandle *found);

}  // namespace winsim
