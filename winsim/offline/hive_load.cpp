// Loading a hive file into the registry tree. hivex shows no security
// descriptors, and offline a hive is edited as a file with no access checks,
// so every loaded key gets the administrators' default that a key created
// under the mount point would get.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>

#include "hive_damage.h"
#include "hive_names.h"
#include "registry/reg_key.h"
#include "replayed_copy.h"
#include "utf16.h"
#include "winsim/offline_hives.h"

namespace winsim {
namespace {

const wchar_t CURRENT_CONTROL_SET[] = L"CurrentControlSet";

struct Loader {
    hive_h *hive;
    ObjectSecurity security;
    std::wstring file;
    std::wstring *reason;
};

bool Fail(Loader &loader, const RegKey &key, const wchar_t *what)
{
    *loader.reason = L"cannot read the " + std::wstring(what) + L" of the key " + JoinPath(PathOf(key)) +
                     L" in the hive " + loader.file + L": " + WhyKeyRefused(errno);
    return false;
}

bool LoadValues(Loader &loader, hive_node_h node, RegKey &key)
{
    HivexArray<hive_value_h> values(hivex_node_values(loader.hive, node));
    if (!values)
        return Fail(loader, key, L"values");
    for (const hive_value_h *value = values.get(); *value; ++value) {
        RegValue loaded;
        hive_type type;
        size_t size;
        HivexArray<char> data(hivex_value_value(loader.hive, *value, &type, &size));
        if (!data || !ValueName(loader.hive, *value, &loaded.name))
            return Fail(loader, key, L"values");
        loaded.type = TypeBits(type);
        loaded.data.assign(data.get(), data.get() + size);
        key.values.push_back(std::move(loaded));
    }
    // A link's key holds its target as a value of this name and type.
    const RegValue *target = FindValue(key, LINK_VALUE_NAME);
    key.link = target && target->type == REG_LINK;
    return true;
}

bool LoadKey(Loader &loader, hive_node_h node, RegKey &key)
{
    if (!LoadValues(loader, node, key))
        return false;
    HivexArray<hive_node_h> children(hivex_node_children(loader.hive, node));
    if (!children)
        return Fail(loader, key, L"subkeys");
    for (const hive_node_h *child = children.get(); *child; ++child) {
        KeyPtr loaded = std::make_shared<RegKey>();
        loaded->parent = &key;
        loaded->security = loader.security;
        if (!NodeName(loader.hive, *child, &loaded->name))
            return Fail(loader, key, L"subkeys");
        key.subkeys.push_back(loaded);
        if (!LoadKey(loader, *child, *loaded))
            return false;
    }
    // A hive keeps subkeys in this order already; a damaged one may not.
    auto order = [](const KeyPtr &a, const KeyPtr &b) { return CompareNames(a->name, b->name) < 0; };
    if (!std::is_sorted(key.subkeys.begin(), key.subkeys.end(), order))
        std::stable_sort(key.subkeys.begin(), key.subkeys.end(), order);
    return true;
}

// As on a running machine, CurrentControlSet of a SYSTEM hive is a link to
// the control set that Select\Current names.
void AddCurrentControlSet(RegKey &root, const KeyPath &mountPath)
{
    KeyPtr select = FindChild(root, L"Select");
    const RegValue *current = select ? FindValue(*select, L"Current") : nullptr;
    if (!current || current->type != REG_DWORD || current->data.size() != 4 || FindChild(root, CURRENT_CONTROL_SET))
        return;
    DWORD number;
    std::memcpy(&number, current->data.data(), 4);
    wchar_t set[32];
    std::swprintf(set, 32, L"ControlSet%03u", number);
    KeyPtr link = AddChild(root, CURRENT_CONTROL_SET, InheritedSecurity(root));
    link->link = true;
    std::wstring target = L"\\REGISTRY\\" + JoinPath(mountPath) + L"\\" + set;
    link->values.push_back(RegValue{LINK_VALUE_NAME, REG_LINK, EncodeUtf16(target)});
}

}  // namespace

bool MountHive(const std::string &hostFile, const std::vector<std::wstring> &mountPath, MountedHive *mounted,
               std::wstring *reason)
{
    std::wstring file = WideText(hostFile);
    if (mountPath.size() < 2) {
        *reason = L"a hive is mounted below MACHINE or USER, not at \\REGISTRY\\" + JoinPath(mountPath);
        return false;
    }
    MountedHive loaded{hostFile, mountPath, {}, nullptr, {}, {}, {}};
    if (!ReplayIntoCopy(hostFile, &loaded, reason))
        return false;
    const std::string &source = loaded.replayed ? loaded.replayed->SourceOf(loaded) : hostFile;
    HiveHandle hive(hivex_open(source.c_str(), 0));
    if (!hive) {
        int error = errno;
        *reason = L"cannot open the hive " + file + (loaded.replayed ? L" replayed into " + WideText(source) : L"") +
                  L": " + WhyHiveRefused(source, error);
        return false;
    }
    KeyPath parentPath(mountPath.begin(), mountPath.end() - 1);
    KeyPtr parent;
    bool created;
    if (CreatePath(parentPath, true, false, nullptr, &parent, &created) != ERROR_SUCCESS) {
        *reason = L"no key can hold the hive at \\REGISTRY\\" + JoinPath(parentPath);
        return false;
    }
    KeyPtr root = std::make_shared<RegKey>();
    root->name = mountPath.back();
    root->parent = parent.get();
    root->security = InheritedSecurity(*parent);
    Loader loader{hive.get(), InheritedSecurity(*root), file, reason};
    if (!LoadKey(loader, hivex_root(hive.get()), *root))
        return false;
    if (KeyPtr replaced = FindChild(*parent, root->name))
        DetachKey(*replaced);
    auto place = std::upper_bound(
        parent->subkeys.begin(), parent->subkeys.end(), root,
        [](const KeyPtr &added, const KeyPtr &other) { return CompareNames(added->name, other->name) < 0; });
    parent->subkeys.insert(place, root);
    loaded.root = root;
    AddCurrentControlSet(*root, mountPath);
    *mounted = std::move(loaded);
    return true;
}

}  // namespace winsim
