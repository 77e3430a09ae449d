#include "reg_handles.h"

#include "../machine.h"
#include "../security_ids.h"
#include "classes_view.h"
#include "wow64_view.h"

namespace winsim {
namespace {

// The predefined roots, each a path from \REGISTRY.
KeyPath PredefinedPath(HKEY handle)
{
    if (handle == HKEY_LOCAL_MACHINE)
        return {L"MACHINE"};
    if (handle == HKEY_USERS)
        return {L"USER"};
    if (handle == HKEY_CURRENT_USER)
        return {L"USER", SidText(UserSid())};
    if (handle == HKEY_CLASSES_ROOT)
        return {L"MACHINE", L"SOFTWARE", L"Classes"};
    return KeyPath();
}

}  // namespace

LONG LookUpKey(HKEY handle, KeyHandle *found)
{
    KeyPath root = PredefinedPath(handle);
    if (!root.empty()) {
        KeyPtr key;
        if (WalkPath(root, false, &key) != ERROR_SUCCESS)
            return ERROR_INVALID_HANDLE;
        *found = KeyHandle{key, root, KEY_ALL_ACCESS, handle == HKEY_CLASSES_ROOT};
        return ERROR_SUCCESS;
    }
    auto open = TheMachine().keyHandles.find(handle);
    if (open == TheMachine().keyHandles.end())
        return ERROR_INVALID_HANDLE;
    *found = open->second;
    return found->key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

LONG LookUpNtKey(HANDLE handle, KeyHandle *found)
{
    const LONG STATUS_INVALID_HANDLE = static_cast<LONG>(0xC0000008);
    const LONG STATUS_KEY_DELETED = static_cast<LONG>(0xC000017C);
    HKEY key = static_cast<HKEY>(handle);
    LONG status = LookUpKey(key, found);
    if (status == ERROR_KEY_DELETED)
        return STATUS_KEY_DELETED;
    return status != ERROR_SUCCESS || !TheMachine().keyHandles.count(key) ? STATUS_INVALID_HANDLE : 0;
}

KeyPath SubkeyPath(const KeyHandle &parent, const KeyPath &path, REGSAM sam)
{
    return parent.mergedClasses ? MergedClassesPath(path, sam) : ViewPath(path, sam);
}

HKEY OpenKeyHandle(const KeyHandle &handle)
{
    HKEY key = reinterpret_cast<HKEY>(TheMachine().nextHandle += 4);
    TheMachine().keyHandles[key] = handle;
    return key;
}

bool CloseKeyHandle(HKEY handle)
{
    return TheMachine().keyHandles.erase(handle) != 0;
}

}  // namespace winsim
