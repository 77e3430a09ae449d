// A fresh work folder under the machine's temporary folder for each test,
// helpers that make files the way the tests need them through Win32 calls,
// and what the engine printed and returned. Helpers that can fail take the
// caller's place in the source, so that a failure points at the test.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output_capture.h"
#include "pending_renames.h"
#include "win32api.h"

// The messages of the error reports in err, without their source locations.
std::vector<std::wstring> ReportMessages(const std::wstring &err);

bool Exists(const std::wstring &path);
// Names in a folder in the order the system lists them, without "." and "..".
std::vector<std::wstring> Listing(const std::wstring &folder);
// Names of the folder that carry a temporary name: "csp", hex digits, ".tmp".
std::vector<std::wstring> TmpNames(const std::wstring &folder);

void MakeFileAt(const char *file, int line, const std::wstring &path, const std::string &content = "x");
void MakeFolderAt(const char *file, int line, const std::wstring &path);
#define MakeFile(...) MakeFileAt(__FILE__, __LINE__, __VA_ARGS__)
#define MakeFolder(...) MakeFolderAt(__FILE__, __LINE__, __VA_ARGS__)

// UTF-16 little-endian bytes of the text, as an INF stored in Unicode.
std::string Utf16(const std::wstring &text);

class FilesTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // The work folder's path and a path inside it.
    std::wstring Work(const std::wstring &name = L"") const;
    // A file in use as Windows treats a loaded DLL: it cannot be deleted but
    // can be renamed.
    void MakeInUseAt(const char *file, int line, const std::wstring &path);
    // A file held open without sharing until the test ends: it can be neither
    // read, deleted nor renamed.
    void LockAt(const char *file, int line, const std::wstring &path);
    // The records made since the test began.
    std::vector<PendingRecord> NewPendingRenames() const;
    // Files made in a shared folder, removed when the test ends.
    std::vector<std::wstring> madeElsewhere_;

  private:
    std::wstring work_;
    size_t pendingAtStart_ = 0;
    std::vector<HANDLE> locks_;
    std::vector<HMODULE> images_;
};
#define MakeInUse(path) MakeInUseAt(__FILE__, __LINE__, path)
#define Lock(path) LockAt(__FILE__, __LINE__, path)

// A record's form of a path.
std::wstring Recorded(const std::wstring &path);

// What a call did under a record of its own: its result and console text,
// the summary's included, and the undo file's comment lines in order of text.
struct RecordedCall {
    Printed printed;
    std::vector<std::wstring> notes;
};
RecordedCall UnderRecord(const std::function<DWORD()> &call);
// The summary's line of a count.
std::wstring SummaryLine(const std::wstring &label, DWORD count, const std::wstring &after = L"");
