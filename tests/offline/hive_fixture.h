// Real hives for the offline tests, and what hivex's own tools say of them.
#pragma once

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "win32api.h"

// A folder of its own for each test, where the hives are unpacked: named by
// the test and unique, since other builds may run the same tests at the same
// time, and kept when the test fails.
class HiveTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // The data file "<name>.xz" unpacked into the folder, or to the path
    // given; its path.
    std::string Unpack(const std::string &name, const std::string &to = "");
    // The real UsrClass.dat and its two logs unpacked, into the folder or to
    // the path given. Its header says its last complete write was 255, but
    // its logs start at 287, so Windows would replay none of them: it is made
    // to claim 287, and all 14 entries of the logs then replay. Its path.
    std::string UnpackDirtyClasses(const std::string &to = "");
    std::vector<std::string> FilesInFolder() const;
    std::string folder;
};

std::string FileBytes(const std::string &path);
// The names in a folder but "." and "..", sorted.
std::vector<std::string> FilesIn(const std::string &folder);

// hivexregedit's export of a hive under the prefix, as entries: each key's
// line, and each value's line after its key's.
std::multiset<std::string> HivexEntries(const std::string &hive, const std::string &prefix);
// The whole export, as a file a test can import.
void HivexExport(const std::string &hive, const std::string &prefix, const std::string &file);

// Every key (as "path") and value (as "path|name|type|bytes") of the tree at
// the path, links not followed, whatever the order of values.
std::multiset<std::wstring> TreeEntries(HKEY root, const std::wstring &path);
