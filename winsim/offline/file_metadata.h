// What a file is besides its bytes: its owner, group and mode, and its
// extended attributes, among them the NTFS security descriptor and DOS
// attributes that the NTFS drivers show as attributes of the system names.
#pragma once

#include <string>

namespace winsim {

// Gives the file "to" the owner, group, mode and extended attributes of the
// file "from" (only what differs is set, and what "to" alone has is removed),
// then reads them back. False with a reason naming both files and the
// attribute that could not be read, set, or did not read back as given.
bool CopyFileMetadata(const std::string &from, const std::string &to, std::wstring *reason);

}  // namespace winsim
