#include <algorithm>

#include "../machine.h"
#include "../security_ids.h"
#include "../utf16.h"
#include "reg_key.h"

namespace winsim {
namespace {

const int MAX_LINK_HOPS = 16;

wchar_t Upcase(wchar_t c)
{
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x430 && c <= 0x44F))
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<wchar_t>(c - 0x50);
    return c;
}

AceEntry Allow(const SidBytes &sid, ACCESS_MASK mask)
{
    return AceEntry{ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE, mask, sid};
}

ObjectSecurity AdministratorDefault()
{
    ObjectSecurity security;
    security.owner = AdministratorsSid();
    security.dacl = {Allow(LocalSystemSid(), KEY_ALL_ACCESS), Allow(AdministratorsSid(), KEY_ALL_ACCESS),
                     Allow(UsersSid(), KEY_READ)};
    return security;
}

// The target of a link, as a path from \REGISTRY; empty when unreadable.
KeyPath LinkTarget(RegKey &link)
{
    RegValue *value = FindValue(link, LINK_VALUE_NAME);
    if (!value || value->type != REG_LINK)
        return KeyPath();
    std::wstring text = DecodeUtf16(value->data.data(), value->data.size());
    KeyPath target = SplitPath(text.c_str());
    if (target.empty() || !SameName(target[0], L"REGISTRY"))
        return KeyPath();
    target.erase(target.begin());
    return target;
}

LONG Walk(const KeyPath &path, bool openLink, bool create, bool createLink, const ObjectSecurity *security,
          KeyPtr *found, bool *created)
{
    KeyPath pending = path;
    KeyPtr key = TheMachine().registry;
    size_t at = 0;
    int hops = 0;
    if (created)
        *created = false;
    while (at < pending.size()) {
        KeyPtr child = FindChild(*key, pending[at]);
        bool last = at + 1 == pending.size();
        if (!child) {
            if (!create)
                return ERROR_FILE_NOT_FOUND;
            if (pending[at].size() > MAX_KEY_NAME)
                return ERROR_INVALID_PARAMETER;
            child = AddChild(*key, pending[at], last && security ? *security : InheritedSecurity(*key));
            child->link = last && createLink;
            if (created && last)
                *created = true;
        } else if (child->link && !(last && openLink)) {
            KeyPath target = LinkTarget(*child);
            if (target.empty() || ++hops > MAX_LINK_HOPS)
                return ERROR_FILE_NOT_FOUND;
            target.insert(target.end(), pending.begin() + static_cast<long>(at) + 1, pending.end());
            pending = target;
            key = TheMachine().registry;
            at = 0;
            continue;
        }
        key = child;
        ++at;
    }
    *found = key;
    return ERROR_SUCCESS;
}

}  // namespace

int CompareNames(const std::wstring &a, const std::wstring &b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = Upcase(a[i]), y = Upcase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameName(const std::wstring &a, const std::wstring &b)
{
    return CompareNames(a, b) == 0;
}

// Subkeys are kept in name order, so a name is found by halving.
KeyPtr FindChild(const RegKey &parent, const std::wstring &name)
{
    auto place = std::lower_bound(
        parent.subkeys.begin(), parent.subkeys.end(), name,
        [](const KeyPtr &child, const std::wstring &wanted) { return CompareNames(child->name, wanted) < 0; });
    return place != parent.subkeys.end() && SameName((*place)->name, name) ? *place : nullptr;
}

KeyPtr AddChild(RegKey &parent, const std::wstring &name, const ObjectSecurity &security)
{
    KeyPtr child = std::make_shared<RegKey>();
    child->name = name;
    child->parent = &parent;
    child->security = security;
    auto place = std::upper_bound(
        parent.subkeys.begin(), parent.subkeys.end(), name,
        [](const std::wstring &added, const KeyPtr &other) { return CompareNames(added, other->name) < 0; });
    parent.subkeys.insert(place, child);
    return child;
}

void DetachKey(RegKey &key)
{
    for (const KeyPtr &child : key.subkeys) {
        child->parent = nullptr;
        DetachKey(*child);
    }
    key.subkeys.clear();
    key.deleted = true;
    if (RegKey *parent = key.parent) {
        auto self = std::find_if(parent->subkeys.begin(), parent->subkeys.end(),
                                 [&](const KeyPtr &child) { return child.get() == &key; });
        parent->subkeys.erase(self);
        key.parent = nullptr;
    }
}

RegValue *FindValue(RegKey &key, const std::wstring &name)
{
    for (RegValue &value : key.values)
        if (SameName(value.name, name))
            return &value;
    return nullptr;
}

void SetValue(RegKey &key, const std::wstring &name, DWORD type, const std::vector<BYTE> &data)
{
    if (RegValue *existing = FindValue(key, name)) {
        existing->type = type;
        existing->data = data;
    } else {
        key.values.push_back(RegValue{name, type, data});
    }
}

KeyPath SplitPath(const wchar_t *path)
{
    KeyPath names;
    std::wstring name;
    for (const wchar_t *p = path ? path : L"";; ++p) {
        if (*p == L'\\' || *p == L'\0') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
            if (*p == L'\0')
                break;
        } else {
            name += *p;
        }
    }
    return names;
}

std::wstring JoinPath(const KeyPath &path)
{
    std::wstring text;
    for (const std::wstring &name : path)
        text += (text.empty() ? L"" : L"\\") + name;
    return text;
}

KeyPath PathOf(const RegKey &key)
{
    KeyPath path;
    for (const RegKey *k = &key; k->parent; k = k->parent)
        path.insert(path.begin(), k->name);
    return path;
}

ObjectSecurity InheritedSecurity(const RegKey &parent)
{
    ObjectSecurity security;
    security.owner = AdministratorsSid();
    for (const AceEntry &entry : parent.security.dacl) {
        if (!(entry.flags & CONTAINER_INHERIT_ACE))
            continue;
        AceEntry inherited = entry;
        inherited.flags = static_cast<BYTE>(entry.flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) | INHERITED_ACE;
        if (entry.flags & NO_PROPAGATE_INHERIT_ACE)
            inherited.flags = INHERITED_ACE;
        security.dacl.push_back(inherited);
    }
    if (security.dacl.empty())
        security.dacl = AdministratorDefault().dacl;
    return security;
}

LONG WalkPath(const KeyPath &path, bool openLink, KeyPtr *found)
{
    return Walk(path, openLink, false, false, nullptr, found, nullptr);
}

LONG CreatePath(const KeyPath &path, bool openLink, bool createLink, const ObjectSecurity *security, KeyPtr *found,
                bool *created)
{
    return Walk(path, openLink, true, createLink, security, found, created);
}

KeyPtr FreshRegistry(MachineKind kind)
{
    KeyPtr root = std::make_shared<RegKey>();
    root->name = L"REGISTRY";
    root->security = AdministratorDefault();
    auto add = [&](const KeyPath &path) {
        KeyPtr key = root;
        for (const std::wstring &name : path)
            key = FindChild(*key, name) ? FindChild(*key, name) : AddChild(*key, name, InheritedSecurity(*key));
        return key;
    };
    add({L"MACHINE", L"SOFTWARE", L"Classes"});
    add({L"MACHINE", L"SYSTEM", L"ControlSet001", L"Control", L"Session Manager"});
    add({L"MACHINE", L"SYSTEM", L"ControlSet001", L"Services"});
    add({L"USER", L".DEFAULT", L"Software"});
    add({L"USER", SidText(UserSid()), L"Software", L"Classes"});
    if (kind == MachineKind::Windows64) {
        add({L"MACHINE", L"SOFTWARE", L"Wow6432Node"});
        add({L"MACHINE", L"SOFTWARE", L"Classes", L"Wow6432Node"});
    }
    KeyPtr current = add({L"MACHINE", L"SYSTEM", L"CurrentControlSet"});
    current->link = true;
    std::wstring target = L"\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001";
    current->values.push_back(RegValue{LINK_VALUE_NAME, REG_LINK, EncodeUtf16(target)});
    return root;
}

}  // namespace winsim
