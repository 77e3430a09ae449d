#include "windows_volume.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "hive_editing.h"

namespace {

const char SID[] = "S-1-5-21-3623811015-3361044348-30300820-1013";
const char NT_VERSION[] = "Microsoft\\Windows NT\\CurrentVersion";
const char VERSION[] = "Microsoft\\Windows\\CurrentVersion";
const int REG_EXPAND = 2;

void MakeFolders(const std::string &path)
{
    std::filesystem::create_directories(path);
}

}  // namespace

void VolumeTest::SetUp()
{
    HiveTest::SetUp();
    volume = folder + "/volume";
    // Names in the cases that real volumes have them, which are not the
    // product's: Windows matches them all the same.
    std::string config = volume + "/Windows/system32/config";
    std::string profile = volume + "/Users/admin";
    MakeFolders(config);
    MakeFolders(volume + "/Windows/Temp");
    MakeFolders(volume + "/Windows/inf");
    MakeFolders(volume + "/ProgramData/Microsoft/Windows/Start Menu/Programs");
    MakeFolders(volume + "/Program Files/Common Files");
    MakeFolders(volume + "/Program Files/VEXA LUNE");
    MakeFolders(profile + "/AppData/Local/Microsoft/Windows");
    productFile = volume + "/Program Files/VEXA LUNE/x.dll";
    std::ofstream(productFile) << "MZ";
    std::ofstream(volume + "/Windows/inf/oem0.inf") << "[Version]\nProvider=Other\n";

    system = config + "/SYSTEM";
    software = config + "/SOFTWARE";
    user = profile + "/NTUSER.DAT";
    classes = profile + "/AppData/Local/Microsoft/Windows/UsrClass.dat";
    std::filesystem::rename(Unpack("SYSTEM"), system);
    std::filesystem::rename(Unpack("UsrClass.dat"), classes);
    std::filesystem::rename(Unpack("UsrClass.dat.LOG1"), classes + ".LOG1");
    std::filesystem::rename(Unpack("UsrClass.dat.LOG2"), classes + ".LOG2");
    std::filesystem::rename(Unpack("NTUSER.DAT"), user);
    // No SOFTWARE hive of a real machine is at hand: it is a copy of the real
    // user's classes hive, emptied and given the keys that Windows would have
    // for this volume.
    std::filesystem::copy_file(classes, software);
    std::string profileKey = std::string(NT_VERSION) + "\\ProfileList\\" + SID;
    EditHive(software,
             {{"Classes", {}},
              {NT_VERSION,
               {TextValue("ProductName", "Windows 7 Professional"), TextValue("CurrentBuild", "7601"),
                TextValue("SystemRoot", "C:\\Windows")}},
              {std::string(NT_VERSION) + "\\ProfileList",
               {TextValue("ProgramData", "%SystemDrive%\\ProgramData", REG_EXPAND)}},
              {profileKey, {TextValue("ProfileImagePath", "%SystemDrive%\\Users\\admin", REG_EXPAND)}},
              {VERSION,
               {TextValue("ProgramFilesDir", "C:\\Program Files"),
                TextValue("CommonFilesDir", "C:\\Program Files\\Common Files")}},
              {std::string(VERSION) + "\\Explorer\\Shell Folders",
               {TextValue("Common Start Menu", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu")}}},
             true);
    EditHive(user, {{"Software\\Vexa Lune", {}}});
    systemBefore = HivexEntries(system, "HKEY_LOCAL_MACHINE\\SYSTEM");
    softwareBefore = HivexEntries(software, "HKEY_LOCAL_MACHINE\\SOFTWARE");
    userBefore = HivexEntries(user, "HKEY_CURRENT_USER");

    EditHive(system, {{"ControlSet001\\services\\vxcsp", {TextValue("ImagePath", "system32\\vxcsp.exe")}}});
    EditHive(software, {{"Vexa Lune\\Cryptography\\CurrentVersion", {TextValue("AppPath", "C:\\x")}}});
    EditHive(user, {{"Software\\Vexa Lune\\EFS", {TextValue("Store", "1")}}});
}

VolumeTest::Run VolumeTest::RunProgram(const std::string &arguments)
{
    std::string output = folder + "/output.txt";
    std::string command = "'" OFFLINE_PROGRAM "' " + arguments + " < /dev/null > '" + output + "' 2>&1";
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
