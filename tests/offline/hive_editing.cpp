#include "hive_editing.h"

#include <hivex.h>

#include <gtest/gtest.h>

namespace {

hive_node_h KeyAt(hive_h *hive, const std::string &path)
{
    hive_node_h node = hivex_root(hive);
    for (size_t start = 0; start < path.size();) {
        size_t end = std::min(path.find('\\', start), path.size());
        std::string name = path.substr(start, end - start);
        hive_node_h child = hivex_node_get_child(hive, node, name.c_str());
        node = child ? child : hivex_node_add_child(hive, node, name.c_str());
        start = end + 1;
    }
    return node;
}

}  // namespace

HiveValue TextValue(const std::string &name, const std::string &ascii, int type)
{
    std::string bytes;
    for (char c : ascii + '\0')
        bytes += std::string{c, '\0'};
    return HiveValue{name, type, bytes};
}

void EditHive(const std::string &file, const std::vector<HiveEntry> &entries, bool emptied)
{
    hive_h *hive = hivex_open(file.c_str(), HIVEX_OPEN_WRITE);
    ASSERT_TRUE(hive) << file;
    hive_node_h root = hivex_root(hive);
    if (emptied) {
        hive_node_h *children = hivex_node_children(hive, root);
        for (hive_node_h *child = children; child && *child; ++child)
            EXPECT_EQ(0, hivex_node_delete_child(hive, *child));
        free(children);
    }
    for (const HiveEntry &entry : entries) {
        hive_node_h key = KeyAt(hive, entry.path);
        ASSERT_TRUE(key) << entry.path;
        std::vector<hive_set_value> values;
        for (const HiveValue &value : entry.values)
            values.push_back(hive_set_value{const_cast<char *>(value.name.c_str()), static_cast<hive_type>(value.type),
                                            value.bytes.size(), const_cast<char *>(value.bytes.data())});
        if (!values.empty()) {
            EXPECT_EQ(0, hivex_node_set_values(hive, key, values.size(), values.data(), 0)) << entry.path;
        }
    }
    EXPECT_EQ(0, hivex_commit(hive, nullptr, 0)) << file;
    hivex_close(hive);
}
