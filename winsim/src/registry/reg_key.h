// The simulated registry: a tree of keys from \REGISTRY, with MACHINE and
// USER below it, each key holding its values in creation order, its
// subkeys in Windows' order and its own security.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../security_layout.h"
#include "winsim/control.h"

namespace winsim {

struct RegValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

struct RegKey {
    std::wstring name;
    RegKey *parent = nullptr;
    std::vector<std::shared_ptr<RegKey>> subkeys;
    std::vector<RegValue> values;
    ObjectSecurity security;
    bool link = false;
    bool deleted = false;  // handles to it stay valid but answer ERROR_KEY_DELETED
};

typedef std::shared_ptr<RegKey> KeyPtr;
// Names from \REGISTRY down, as "MACHINE", "SOFTWARE", "Vexa Lune".
typedef std::vector<std::wstring> KeyPath;

const size_t MAX_KEY_NAME = 255;
const size_t MAX_VALUE_NAME = 16383;
const wchar_t LINK_VALUE_NAME[] = L"SymbolicLinkValue";

// Names compare as Windows compares them: after folding to upper case.
int CompareNames(const std::wstring &a, const std::wstring &b);
bool SameName(const std::wstring &a, const std::wstring &b);

KeyPtr FindChild(const RegKey &parent, const std::wstring &name);
KeyPtr AddChild(RegKey &parent, const std::wstring &name, const ObjectSecurity &security);
// Takes a key and everything below it out of the tree.
void DetachKey(RegKey &key);
RegValue *FindValue(RegKey &key, const std::wstring &name);
// Gives the value of that name (its stored name kept) the type and data, or adds it.
void SetValue(RegKey &key, const std::wstring &name, DWORD type, const std::vector<BYTE> &data);

// A subkey path split at its backslashes, empty pieces dropped.
KeyPath SplitPath(const wchar_t *path);
std::wstring JoinPath(const KeyPath &path);
KeyPath PathOf(const RegKey &key);

// What a key created under the parent gets: its inheritable entries, or the
// administrator's default when it has none.
ObjectSecurity InheritedSecurity(const RegKey &parent);

// Follows the path from \REGISTRY, through symbolic links on the way and, unless
// openLink, at its end. ERROR_FILE_NOT_FOUND when a key is missing.
LONG WalkPath(const KeyPath &path, bool openLink, KeyPtr *found);
// As WalkPath, creating missing keys (the last one as a link when asked).
LONG CreatePath(const KeyPath &path, bool openLink, bool createLink, const ObjectSecurity *security, KeyPtr *found,
                bool *created);

KeyPtr FreshRegistry(MachineKind kind);

}  // namespace winsim
