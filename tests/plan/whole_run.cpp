#include "whole_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <vector>

#include <winsim/control.h>

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "installed_family.h"
#include "output_capture.h"
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

Outcome RunVxclean(std::initializer_list<const wchar_t *> options)
{
    std::vector<const wchar_t *> argv = {L"vxclean"};
    argv.insert(argv.end(), options.begin(), options.end());
    woptind = 0;
    ProgramName = argv[0];
    RegViewFlag = 0;
    RebootNeeded = 0;
    OutputCapture capture;
    Outcome run;
    run.status = InstallCommand(static_cast<int>(argv.size()), argv.data());
    run.out = capture.Out();
    run.err = capture.Err();
    return run;
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
