// Hives made and changed through hivex for the offline program's tests.
#pragma once

#include <string>
#include <vector>

struct HiveValue {
    std::string name;
    int type;
    std::string bytes;
};
// A string value as Windows stores it: UTF-16LE with its terminator.
HiveValue TextValue(const std::string &name, const std::string &ascii, int type = 1);

struct HiveEntry {
    std::string path;  // from the hive's root, backslashes between names
    std::vector<HiveValue> values;
};

// Adds each key (and the keys on its way) with its values, after taking
// every key from under the root when emptied is set.
void EditHive(const std::string &file, const std::vector<HiveEntry> &entries, bool emptied = false);
