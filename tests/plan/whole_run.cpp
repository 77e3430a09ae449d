#include "whole_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <winsim/control.h>

#include "installed_family.h"
#include "registry_helpers.h"
#include "test_machine.h"

void InstallMachine(winsim::MachineKind kind, bool withProducts)
{
    StartFreshMachine();
    winsim::SetMachineKind(kind);
    EnableTakeOwnership();
    InstallBystanders();
    if (withProducts)
        InstallProductFamily();
}

std::map<std::string, std::string> DriveC()
{
    std::map<std::string, std::string> files;
    std::string root = winsim::MachineFolder() + "/C";
    const std::string records = "/Windows/Temp/vxclean-";
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string name = entry.path().string().substr(root.size());
        if (name.compare(0, records.size(), records) == 0)
            continue;
        if (entry.is_directory()) {
            files[name + "/"] = "";
        } else {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            files[name] = content.str();
        }
    }
    return files;
}

std::map<std::wstring, std::multiset<std::wstring>> ExportedKeys(const std::wstring &text)
{
    std::map<std::wstring, std::multiset<std::wstring>> keys;
    std::wistringstream in(text);
    std::wstring line, key, value;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        value += value.empty() ? line : line.substr(std::min(line.find_first_not_of(L' '), line.size()));
        if (!value.empty() && value.back() == L'\\') {
            value.pop_back();
            continue;
        }
        if (!value.empty() && value[0] == L'[')
            keys[key = value];
        else if (!value.empty() && !key.empty())
            keys[key].insert(value);
        value.clear();
    }
    return keys;
}
