// Writing a mounted hive back: the tree under the mount is compared with the
// hive as hivex reads it, key by key, and only the differences are made in
// the hive (deleted keys, keys whose values changed, new keys), so that
// everything else, security and classes included, stays as it was.
#include <algorithm>
#include <cerrno>
#include <set>

#include "hive_files.h"
#include "hive_names.h"
#include "registry/reg_key.h"
#include "replayed_copy.h"
#include "winsim/offline_hives.h"

namespace winsim {
namespace {

struct Saver {
    hive_h *hive;
    const MountedHive &mounted;
    std::wstring *reason;
    bool changed;
};

bool Fail(Saver &saver, const RegKey &key, const wchar_t *what)
{
    *saver.reason = std::wstring(L"cannot ") + what + L" the key " + JoinPath(PathOf(key)) + L" in the hive " +
                    WideText(saver.mounted.file) + L": " + ErrorText(errno);
    return false;
}

bool SameValues(Saver &saver, hive_node_h node, const RegKey &key, bool *same)
{
    HivexArray<hive_value_h> values(hivex_node_values(saver.hive, node));
    if (!values)
        return Fail(saver, key, L"read the values of");
    size_t count = 0;
    *same = true;
    for (const hive_value_h *value = values.get(); *value && *same; ++value, ++count) {
        std::wstring name;
        hive_type type;
        size_t size;
        HivexArray<char> data(hivex_value_value(saver.hive, *value, &type, &size));
        if (!data || !ValueName(saver.hive, *value, &name))
            return Fail(saver, key, L"read the values of");
        const BYTE *bytes = reinterpret_cast<const BYTE *>(data.get());
        *same = count < key.values.size() && key.values[count].name == name &&
                key.values[count].type == TypeBits(type) &&
                std::equal(bytes, bytes + size, key.values[count].data.begin(), key.values[count].data.end());
    }
    *same = *same && count == key.values.size();
    return true;
}

bool WriteValues(Saver &saver, hive_node_h node, const RegKey &key)
{
    std::vector<std::string> names(key.values.size());
    std::vector<hive_set_value> values;
    for (size_t i = 0; i < key.values.size(); ++i) {
        const RegValue &value = key.values[i];
        if (!HivexName(value.name, &names[i])) {
            errno = EINVAL;
            return Fail(saver, key, L"write a value name with a NUL character in");
        }
        hive_set_value set = {&names[i][0], hive_t_none, value.data.size(),
                              reinterpret_cast<char *>(const_cast<BYTE *>(value.data.data()))};
        SetTypeBits(&set.t, value.type);
        values.push_back(set);
    }
    if (hivex_node_set_values(saver.hive, node, values.size(), values.data(), 0) != 0)
        return Fail(saver, key, L"write the values of");
    saver.changed = true;
    return true;
}

bool AddTree(Saver &saver, hive_node_h parent, const RegKey &key)
{
    std::string name;
    if (!HivexName(key.name, &name)) {
        errno = EINVAL;
        return Fail(saver, key, L"write a name with a NUL character:");
    }
    hive_node_h node = hivex_node_add_child(saver.hive, parent, name.c_str());
    if (!node)
        return Fail(saver, key, L"add");
    saver.changed = true;
    if (!key.values.empty() && !WriteValues(saver, node, key))
        return false;
    for (const KeyPtr &child : key.subkeys)
        if (!AddTree(saver, node, *child))
            return false;
    return true;
}

bool SyncKey(Saver &saver, hive_node_h node, const RegKey &key)
{
    bool same;
    if (!SameValues(saver, node, key, &same) || (!same && !WriteValues(saver, node, key)))
        return false;
    HivexArray<hive_node_h> children(hivex_node_children(saver.hive, node));
    if (!children)
        return Fail(saver, key, L"read the subkeys of");
    std::set<const RegKey *> kept;
    std::vector<std::pair<hive_node_h, const RegKey *>> pairs;
    for (const hive_node_h *child = children.get(); *child; ++child) {
        std::wstring name;
        if (!NodeName(saver.hive, *child, &name))
            return Fail(saver, key, L"read the subkeys of");
        KeyPtr match = FindChild(key, name);
        if (match && kept.insert(match.get()).second) {
            pairs.emplace_back(*child, match.get());
        } else if (hivex_node_delete_child(saver.hive, *child) == 0) {
            saver.changed = true;
        } else {
            return Fail(saver, key, L"delete a subkey of");
        }
    }
    // A link that the hive does not hold is one the mount made (as
    // CurrentControlSet): a run makes none, and hivex cannot write one.
    for (const KeyPtr &child : key.subkeys)
        if (!kept.count(child.get()) && !child->link && !AddTree(saver, node, *child))
            return false;
    for (const auto &pair : pairs)
        if (!SyncKey(saver, pair.first, *pair.second))
            return false;
    return true;
}

}  // namespace

bool SaveHive(MountedHive &mounted, bool *written, std::wstring *reason)
{
    *written = false;
    std::shared_ptr<RegKey> root = mounted.root.lock();
    if (!root || root->deleted) {
        *reason = L"the registry no longer holds the hive " + WideText(mounted.file) + L" at \\REGISTRY\\" +
                  JoinPath(mounted.path);
        return false;
    }
    const std::string &source = mounted.replayed ? mounted.replayed->SourceOf(mounted) : mounted.file;
    HiveHandle hive(hivex_open(source.c_str(), HIVEX_OPEN_WRITE));
    if (!hive) {
        *reason = L"cannot open the hive " + WideText(mounted.file) + L" for writing: " + ErrorText(errno);
        return false;
    }
    Saver saver{hive.get(), mounted, reason, false};
    if (!SyncKey(saver, hivex_root(hive.get()), *root))
        return false;
    if (!saver.changed)
        return true;
    if ((mounted.backup.empty() && !BackUpHive(mounted.file, &mounted.backup, reason)) ||
        !CommitHive(hive.get(), mounted.file, reason))
        return false;
    *written = true;
    if (!mounted.replayed)
        return true;
    mounted.replayed->Retire();
    return EmptyLogs(mounted.file, reason);
}

}  // namespace winsim
