// The file-system engine: deletion of files with a fallback to deletion at
// restart, folder trees, files named by a mask, staged driver packages.
#pragma once

#include "record/findings.h"
#include "record/record.h"
#include "win32api.h"

// 1 when the file is deleted, or moved to a temporary name in its folder and
// scheduled for deletion at restart; 0 after a report.
int MyDeleteFile(LPCWSTR lpFileName);
// Moves a file or folder to a fresh temporary name in its parent folder,
// left in lpTmpName (MAX_PATH characters); 1 moved, 0 not.
int RenameToTmpName(LPCWSTR lpPath, LPWSTR lpTmpName);
// Mode 0 reports, 1 removes; with fWarn a present file counts as residue.
DWORD DeleteFileIfExists(LPCWSTR lpFileName, DWORD dwMode, DWORD fWarn);

DWORD DeleteTreeIfExists(LPCWSTR lpPath, DWORD dwMode, DWORD fWarn);
// 0 when everything under the path, the path included, is gone or scheduled.
DWORD RecurseWipeTree(LPCWSTR lpPath);

// Applies DeleteFileIfExists to every file that the mask's last component matches.
DWORD DeleteByMask(LPCWSTR lpMask, DWORD dwMode, DWORD fWarn);

// Driver packages (oem*.inf and their .pnf) that name the vendor.
DWORD CleanDriverPackages(DWORD dwMode);
DWORD CleanInfFile(DWORD dwMode, LPWSTR lpInfPath, WIN32_FIND_DATAW findData);
DWORD ChangeFileAttrib(LPCWSTR lpPath);

// Shared by the operations above.
// The folder that holds an item, with its trailing backslash, in a heap
// buffer that the caller frees; NULL after a report, or when memory runs out.
WCHAR *FolderOfItem(LPCWSTR lpPath);
// Records everything under a folder for deletion at restart, each folder after
// its contents; links are recorded, never entered. 0, or 1 when one failed.
DWORD ScheduleContentsAtRestart(LPCWSTR lpFolder);
// prefix followed by name in a buffer of nSize characters; false, and the
// buffer untouched, when they do not fit whole.
bool JoinPath(LPWSTR lpBuffer, size_t nSize, LPCWSTR lpPrefix, LPCWSTR lpName);
// Reports a path that does not fit its buffer, which is then skipped.
DWORD ReportPathTooLong(int line, LPCWSTR lpPrefix, LPCWSTR lpName);

// The undo file's notes of files, naming where each item really is.
// The item's full path on its volume after its drive, as the file system
// names it (WOW64 redirection resolved); false when it cannot be read.
bool RealPathOf(LPCWSTR lpPath, std::wstring *lpRealPath);
// Records the item for deletion when Windows next starts, named where it
// really is; MoveFileEx's result and last error.
BOOL DeleteAtRestart(LPCWSTR lpPath);
// An item a report run found, noted where it really is.
void NoteFound(FindingKind kind, LPCWSTR lpPath);
// An item gone; real is empty when where it really was could not be read.
void NoteDeleted(FileChange change, LPCWSTR lpPath, const std::wstring &real);
// An item left for a restart, moved to lpTmpName in its folder (null when it
// stays where it was).
void NoteAtRestart(FileChange change, LPCWSTR lpPath, const std::wstring &real, LPCWSTR lpTmpName);
// Where an item is after its move to lpTmpName in its own folder: in the
// folder of real, or at lpTmpName as given when real is empty.
std::wstring NameAfterMove(const std::wstring &real, LPCWSTR lpTmpName);
// While one lives (a tree wipe), the notes of items left for a restart are
// held; when the outermost goes they are written. A folder moved meanwhile
// from one full path to another carries the held items under it.
class RestartNotesHeld {
  public:
    RestartNotesHeld();
    ~RestartNotesHeld();
};
void MoveHeldNotes(const std::wstring &from, const std::wstring &to);
