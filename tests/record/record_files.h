// The record folders that runs leave on the machine, and their files as text.
#pragma once

#include <string>
#include <vector>

// The record folders in the machine's temporary folder, oldest name first.
std::vector<std::wstring> RecordFolders();
// A file of the record (UTF-16LE with a byte-order mark) as text, CR LF read
// as "\n"; empty when it cannot be read.
std::wstring RecordText(const std::wstring &folder, const wchar_t *name);
// Puts back what the undo file of the folder holds, as the registry editor
// would import it: winsim's import on the host, "regedit /s" under Wine.
bool ImportUndoFile(const std::wstring &folder);
// Why an import here cannot give back every byte, or null where it can.
const char *UndoImportLimit();
