#include "hive_fixture.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <winsim/control.h>

#include "log_writer.h"

namespace {

std::string RunCommand(const std::string &command)
{
    std::string output;
    FILE *pipe = popen(command.c_str(), "r");
    char chunk[1 << 16];
    size_t got;
    while (pipe && (got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, got);
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
    return output;
}

std::string ExportCommand(const std::string &hive, const std::string &prefix)
{
    return "PERL_UNICODE=SO hivexregedit --export --prefix '" + prefix + "' '" + hive + "' '\\'";
}

void AddTree(std::multiset<std::wstring> &entries, HKEY root, const std::wstring &path, const std::wstring &shown)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key)) << shown;
    entries.insert(shown);
    std::vector<wchar_t> name(16384);
    DWORD length;
    for (DWORD i = 0; length = 16384, RegEnumValueW(key, i, name.data(), &length, 0, 0, 0, 0) == 0; ++i) {
        DWORD type;
        std::vector<BYTE> data;
        EXPECT_EQ(ERROR_SUCCESS, winsim::GetStoredValue(key, name.data(), &type, &data));
        std::wstring entry = shown + L"|" + name.data() + L"|" + std::to_wstring(type) + L"|";
        for (BYTE b : data)
            entry += std::to_wstring(b) + L",";
        entries.insert(entry);
    }
    for (DWORD i = 0; length = 256, RegEnumKeyExW(key, i, name.data(), &length, 0, 0, 0, 0) == 0; ++i)
        AddTree(entries, root, path + L"\\" + name.data(), shown + L"\\" + name.data());
    RegCloseKey(key);
}

}  // namespace

void HiveTest::SetUp()
{
    winsim::ResetMachine();
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    std::string pattern = testing::TempDir() + "offline_" + name + "_XXXXXX";
    ASSERT_TRUE(mkdtemp(&pattern[0])) << pattern;
    folder = pattern;
    // Open to others as a folder under /tmp would be: some tests run the
    // program as another user.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                             std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                             std::filesystem::perms::others_exec);
}

void HiveTest::TearDown()
{
    if (!HasFailure())
        RunCommand("rm -rf '" + folder + "'");
}

std::string HiveTest::Unpack(const std::string &name, const std::string &to)
{
    std::string path = to.empty() ? folder + "/" + name : to;
    RunCommand("xz -dc '" HIVE_DATA "/" + name + ".xz' > '" + path + "'");
    return path;
}

std::string HiveTest::UnpackDirtyClasses(const std::string &to)
{
    std::string hive = Unpack("UsrClass.dat", to);
    for (const char *log : {".LOG1", ".LOG2"})
        Unpack(std::string("UsrClass.dat") + log, hive + log);
    winsim::HiveBytes bytes = ReadBytes(hive);
    SetSequences(bytes, 288, 287);
    WriteBytes(hive, bytes);
    return hive;
}

std::vector<std::string> HiveTest::FilesInFolder() const
{
    return FilesIn(folder);
}

std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    while (dirent *entry = dir ? readdir(dir) : nullptr)
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    if (dir)
        closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::multiset<std::string> HivexEntries(const std::string &hive, const std::string &prefix)
{
    std::multiset<std::string> entries;
    std::istringstream lines(RunCommand(ExportCommand(hive, prefix)));
    std::string line, key;
    while (std::getline(lines, line)) {
        if (line.empty() || line.rfind("Windows Registry Editor", 0) == 0)
            continue;
        if (line[0] == '[')
            key = line;
        entries.insert(line[0] == '[' ? line : key + "\n" + line);
    }
    return entries;
}

void HivexExport(const std::string &hive, const std::string &prefix, const std::string &file)
{
    RunCommand(ExportCommand(hive, prefix) + " > '" + file + "'");
}

std::multiset<std::wstring> TreeEntries(HKEY root, const std::wstring &path)
{
    std::multiset<std::wstring> entries;
    AddTree(entries, root, path, L"");
    return entries;
}
