// Windows volumes for vxclean-offline, laid out in a folder: the real SYSTEM
// hive of a 32-bit Windows 7 or of a 64-bit Windows 10, a SOFTWARE hive made
// for it, user profiles with the real NTUSER.DAT and UsrClass.dat (the first
// one's dirty, its logs beside it, as a crash leaves it), and the folders
// Windows has.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hive_fixture.h"

class VolumeTest : public HiveTest {
  protected:
    // A 32-bit volume with one profile and a few of the products planted.
    void SetUp() override;
    // The same in the test's folder, for a fixture that prepares the folder.
    void LayOutWithProducts();
    // The volume alone, without products.
    void LayOutWindows(bool windows64, size_t profiles);

    struct Run {
        int status;
        std::string output;
    };
    // vxclean-offline with these arguments, standard input not a terminal,
    // started through the command before it, when one is given.
    Run RunProgram(const std::string &arguments, const std::string &before = "");
    // The same on a terminal (a pseudo-terminal of util-linux's script),
    // which is given the answer.
    Run RunOnTerminal(const std::string &arguments, const std::string &answer);
    // Every file under the volume, by its path there, with its bytes.
    std::map<std::string, std::string> VolumeFiles() const;

    std::string volume;
    std::string system, software;
    std::vector<std::string> sids, users, classes;  // for each profile
    std::string productFile;
    // The hives' exports before the products were planted.
    std::multiset<std::string> systemBefore, softwareBefore, userBefore;
};

// The files beside a hive whose names are the hive's followed by the tag.
std::vector<std::string> FilesBeside(const std::string &hive, const std::string &tag);
