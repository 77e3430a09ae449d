#include "windows_volume.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "hive_editing.h"

namespace {

const char SID_PREFIX[] = "S-1-5-21-3623811015-3361044348-30300820-";
const char NT_VERSION[] = "Microsoft\\Windows NT\\CurrentVersion";
const char VERSION[] = "Microsoft\\Windows\\CurrentVersion";
const int REG_EXPAND = 2;

void MakeFolders(const std::string &path)
{
    std::filesystem::create_directories(path);
}

// Where a booting Windows finds its folders, for the 32-bit or the 64-bit one.
std::vector<HiveEntry> SoftwareKeys(bool windows64)
{
    std::vector<HiveValue> version = {TextValue("ProgramFilesDir", "C:\\Program Files"),
                                      TextValue("CommonFilesDir", "C:\\Program Files\\Common Files")};
    if (windows64) {
        version.push_back(TextValue("ProgramFilesDir (x86)", "C:\\Program Files (x86)"));
        version.push_back(TextValue("CommonFilesDir (x86)", "C:\\Program Files (x86)\\Common Files"));
        version.push_back(TextValue("ProgramW6432Dir", "C:\\Program Files"));
        version.push_back(TextValue("CommonW6432Dir", "C:\\Program Files\\Common Files"));
    }
    std::vector<HiveEntry> keys = {
        {"Classes\\CLSID", {}},
        {"Classes\\Interface", {}},
        {"Classes\\TypeLib", {}},
        {NT_VERSION,
         {TextValue("ProductName", windows64 ? "Windows 10 Pro" : "Windows 7 Professional"),
          TextValue("CurrentBuild", windows64 ? "19045" : "7601"), TextValue("SystemRoot", "C:\\Windows")}},
        {std::string(NT_VERSION) + "\\ProfileList",
         {TextValue("ProgramData", "%SystemDrive%\\ProgramData", REG_EXPAND)}},
        {VERSION, version},
        {std::string(VERSION) + "\\Explorer\\Shell Folders",
         {TextValue("Common Start Menu", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu")}}};
    if (windows64) {
        keys.push_back({"Wow6432Node\\Microsoft\\Windows\\CurrentVersion", {}});
        for (const char *classes : {"CLSID", "Interface", "TypeLib"})
            keys.push_back({std::string("Classes\\Wow6432Node\\") + classes, {}});
    }
    return keys;
}

}  // namespace

void VolumeTest::LayOutWindows(bool windows64, size_t profiles)
{
    volume = folder + "/volume";
    // Names in the cases that real volumes have them, which are not the
    // product's: Windows matches them all the same.
    std::string config = volume + "/Windows/system32/config";
    for (const char *path : {"/Windows/system32/config", "/Windows/system32/drivers", "/Windows/Temp", "/Windows/inf",
                             "/ProgramData/Microsoft/Windows/Start Menu/Programs", "/Program Files/Common Files"})
        MakeFolders(volume + path);
    if (windows64) {
        MakeFolders(volume + "/Windows/SysWOW64/drivers");
        MakeFolders(volume + "/Program Files (x86)/Common Files");
    }
    system = config + "/SYSTEM";
    software = config + "/SOFTWARE";
    std::filesystem::rename(Unpack(windows64 ? "SYSTEM_2" : "SYSTEM"), system);
    std::string realClasses = Unpack("UsrClass.dat");
    std::string realUser = Unpack("NTUSER.DAT");
    // No SOFTWARE hive of a real machine is at hand: it is a copy of the real
    // user's classes hive, emptied and given the keys that Windows would have
    // for this volume.
    std::filesystem::copy_file(realClasses, software);
    std::vector<HiveEntry> keys = SoftwareKeys(windows64);
    for (size_t i = 0; i < profiles; ++i) {
        std::string name = i == 0 ? "admin" : "user" + std::to_string(i);
        std::string profile = volume + "/Users/" + name;
        MakeFolders(profile + "/AppData/Local/Microsoft/Windows");
        sids.push_back(SID_PREFIX + std::to_string(1013 + i));
        users.push_back(profile + "/NTUSER.DAT");
        classes.push_back(profile + "/AppData/Local/Microsoft/Windows/UsrClass.dat");
        std::filesystem::copy_file(realUser, users.back());
        if (i == 0)
            UnpackDirtyClasses(classes.back());
        else
            std::filesystem::copy_file(realClasses, classes.back());
        keys.push_back({std::string(NT_VERSION) + "\\ProfileList\\" + sids.back(),
                        {TextValue("ProfileImagePath", "%SystemDrive%\\Users\\" + name, REG_EXPAND)}});
    }
    EditHive(software, keys, true);
}

void VolumeTest::SetUp()
{
    HiveTest::SetUp();
    LayOutWithProducts();
}

void VolumeTest::LayOutWithProducts()
{
    LayOutWindows(false, 1);
    MakeFolders(volume + "/Program Files/VEXA LUNE");
    productFile = volume + "/Program Files/VEXA LUNE/x.dll";
    std::ofstream(productFile) << "MZ";
    std::ofstream(volume + "/Windows/inf/oem0.inf") << "[Version]\nProvider=Other\n";
    EditHive(users[0], {{"Software\\Vexa Lune", {}}});
    systemBefore = HivexEntries(system, "HKEY_LOCAL_MACHINE\\SYSTEM");
    softwareBefore = HivexEntries(software, "HKEY_LOCAL_MACHINE\\SOFTWARE");
    userBefore = HivexEntries(users[0], "HKEY_CURRENT_USER");

    EditHive(system, {{"ControlSet001\\services\\vxcsp", {TextValue("ImagePath", "system32\\vxcsp.exe")}}});
    EditHive(software, {{"Vexa Lune\\Cryptography\\CurrentVersion", {TextValue("AppPath", "C:\\x")}}});
    EditHive(users[0], {{"Software\\Vexa Lune\\EFS", {TextValue("Store", "1")}}});
}

VolumeTest::Run VolumeTest::RunProgram(const std::string &arguments, const std::string &before)
{
    std::string output = folder + "/output.txt";
    std::string command = before + "'" OFFLINE_PROGRAM "' " + arguments + " < /dev/null > '" + output + "' 2>&1";
    int status = std::system(command.c_str());
    return Run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileBytes(output)};
}

VolumeTest::Run VolumeTest::RunOnTerminal(const std::string &arguments, const std::string &answer)
{
    std::string output = folder + "/output.txt";
    std::string command = "printf '" + answer + "\\n' | script -qec \"'" OFFLINE_PROGRAM "' " + arguments +
                          "\" /dev/null > '" + output + "' 2>&1";
    int status = std::system(command.c_str());
    return Run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileBytes(output)};
}

std::map<std::string, std::string> VolumeTest::VolumeFiles() const
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(volume))
        if (entry.is_regular_file())
            files[entry.path().string().substr(volume.size())] = FileBytes(entry.path().string());
    return files;
}

std::vector<std::string> FilesBeside(const std::string &hive, const std::string &tag)
{
    std::filesystem::path path(hive);
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(path.parent_path()))
        if (entry.path().filename().string().rfind(path.filename().string() + tag, 0) == 0)
            files.push_back(entry.path().string());
    return files;
}
