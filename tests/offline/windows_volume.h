// A small Windows 7 volume (32-bit) for vxclean-offline: the real SYSTEM hive,
// a SOFTWARE hive made for it, one user's profile (its classes hive dirty, its
// logs beside it) and a few folders, with the products planted in the hives
// and in Program Files.
#pragma once

#include <map>
#include <set>
#include <string>

#include "hive_fixture.h"

class VolumeTest : public HiveTest {
  protected:
    void SetUp() override;
    struct Run {
        int status;
        std::string output;
    };
    // vxclean-offline with these arguments, standard input not a terminal.
    Run RunProgram(const std::string &arguments);
    // The same on a terminal (a pseudo-terminal of util-linux's script),
    // which is given the answer.
    Run RunOnTerminal(const std::string &arguments, const std::string &answer);
    // Every file under the volume, by its path there, with its bytes.
    std::map<std::string, std::string> VolumeFiles() const;

    std::string volume;
    std::string system, software, user, classes;
    std::string productFile;
    // The hives' exports before the products were planted.
    std::multiset<std::string> systemBefore, softwareBefore, userBefore;
};
