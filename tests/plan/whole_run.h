// A whole run of the program on the simulated machine, and the drive C: it
// leaves, as tests compare them.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>

#include <winsim/control.h>

#include "run_vxclean.h"
#include "win32api.h"

// A fresh machine of that kind with the bystanders and, unless told, the
// product family; the take-ownership privilege enabled, as a run enables it.
void InstallMachine(winsim::MachineKind kind, bool withProducts = true);

// Every file (with its content) and folder (named with a trailing "/") of
// drive C:, but for the records that runs keep in the temporary folder.
std::map<std::string, std::string> DriveC();

// The keys of a registry export, each with its value lines, a line carried
// over to the next joined to it.
std::map<std::wstring, std::multiset<std::wstring>> ExportedKeys(const std::wstring &text);
