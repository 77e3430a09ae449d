// The record of whole runs on an installed machine, on 64-bit Windows (both
// views, which Wine cannot show) and 32-bit Windows: importing the undo file
// gives back the registry as it was, also after a run killed at any point,
// and a record that cannot be made or written changes nothing of the run;
// that a report run keeps none is the recorded runs' to hold.
// Only the simulated machine can kill a run at a given call or fail the
// record's own writes.
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#include <winsim/control.h>

#include "driver/process_state.h"
#include "record_files.h"
#include "registry_helpers.h"
#include "untidy_strings.h"
#include "whole_run.h"

namespace {

const wchar_t SERVICE[] = L"SYSTEM\\CurrentControlSet\\Services\\vxcsp";
const wchar_t RECORD_LINE[] = L"Record of this run: C:\\Windows\\Temp\\vxclean-20261207-093000\n";
const LONG ERROR_DISK_FULL_CODE = 112;

// The registry as the registry editor exports it, each key's values in name
// order (a value put back comes after those that stayed, as on Windows),
// without the delete-at-restart records that a run adds, nor the vendor's
// key and the key containers with the users' private keys, which no record
// keeps.
std::wstring Registry(bool withPrivateKeys = true)
{
    std::wstring text;
    for (const auto &key : ExportedKeys(winsim::ExportRegistry())) {
        if (!withPrivateKeys && (key.first.find(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexa Lune") == 0 ||
                                 key.first.find(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vexa Lune") == 0 ||
                                 key.first.find(L"\\Settings\\USERS\\S-1-5-18\\Keys") != std::wstring::npos))
            continue;
        text += key.first + L"\n";
        for (const std::wstring &value : key.second)
            if (value.compare(0, 30, L"\"PendingFileRenameOperations\"=") != 0)
                text += value + L"\n";
    }
    return text;
}

// The lines that only one of two registries has, a few of them.
std::string Difference(const std::wstring &before, const std::wstring &after)
{
    std::multiset<std::wstring> lines[2];
    for (int side = 0; side < 2; ++side) {
        std::wistringstream in(side ? after : before);
        std::wstring line;
        while (std::getline(in, line))
            lines[side].insert(line);
    }
    std::string text;
    int shown = 0;
    for (int side = 0; side < 2; ++side)
        for (const std::wstring &line : lines[side])
            if (!lines[1 - side].count(line) && shown++ < 12)
                text += (side ? "\n+ " : "\n- ") + std::string(line.begin(), line.end());
    return text;
}

// The start of a line of the summary.
std::wstring SummaryLine(const std::wstring &label, const std::wstring &value)
{
    return L"  " + label + std::wstring(26 - label.size(), L' ') + value;
}

// The installed machine with what an undo file finds hardest: strings that
// are no well-formed text, a key everyone is refused, a link, in a tree
// that the run deletes.
void InstallHardMachine(winsim::MachineKind kind)
{
    InstallMachine(kind);
    winsim::SetLocalClock(2026, 12, 7, 9, 30, 0);
    std::wstring odd = std::wstring(SERVICE) + L"\\Odd";
    add_value(HKEY_LOCAL_MACHINE, odd, L"", REG_SZ, SzBytes(L"default \"quoted\" \\ text"));
    add_value(HKEY_LOCAL_MACHINE, odd, L"name \"with\" \\ marks", REG_DWORD, {1, 2, 3});
    add_value(HKEY_LOCAL_MACHINE, odd, L"no terminator", REG_SZ, {0x41, 0, 0x42, 0});
    add_value(HKEY_LOCAL_MACHINE, odd, L"lines", REG_SZ, SzBytes(L"a\r\nb"));
    add_value(HKEY_LOCAL_MACHINE, odd, L"own type", 0x12345, {});
    add_value(HKEY_LOCAL_MACHINE, odd, L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    add_value(HKEY_LOCAL_MACHINE, odd, L"long", REG_BINARY, std::vector<BYTE>(300, 0xA5));
    std::wstring untidy = UntidyStringsFile();
    untidy.replace(untidy.find(UNTIDY_KEY), wcslen(UNTIDY_KEY), odd + L"\\Untidy");
    std::wstring reason;
    ASSERT_TRUE(winsim::ImportRegistry(untidy, &reason));
    add_key(HKEY_LOCAL_MACHINE, std::wstring(SERVICE) + L"\\Locked\\Inner");
    deny_everyone(HKEY_LOCAL_MACHINE, std::wstring(SERVICE) + L"\\Locked");
    add_link(std::wstring(SERVICE) + L"\\Link", L"SOFTWARE\\Microsoft");
    // Names that the registry editor's text holds however odd, and a key
    // that holds a link's value without being a link.
    const std::wstring names = std::wstring(SERVICE) + L"\\Names";
    for (const std::wstring &name : {std::wstring(L"]close"), std::wstring(L"[open"), std::wstring(L"a=b"),
                                     std::wstring(L"\"quoted\""), std::wstring(L";semi"), std::wstring(255, L'n')})
        add_sz(HKEY_LOCAL_MACHINE, names + L"\\" + name, name, L"value of " + name);
    std::vector<BYTE> target = SzBytes(L"\\REGISTRY\\MACHINE\\SOFTWARE\\Microsoft");
    target.resize(target.size() - 2);
    add_value(HKEY_LOCAL_MACHINE, names + L"\\NotALink", L"SymbolicLinkValue", REG_LINK, target);
    add_sz(HKEY_LOCAL_MACHINE, names + L"\\NotALink", L"kept", L"an ordinary key's value");
    add_sz(HKEY_LOCAL_MACHINE, names + L"\\NotALink\\Child", L"kept", L"an ordinary key's subkey");
}

// Names that the text cannot hold: 4 keys and a value that the undo file
// names as missing, and nothing else of it is lost.
const unsigned UNWRITABLE_ENTRIES = 5;
void PlantUnwritableNames()
{
    const std::wstring names = std::wstring(SERVICE) + L"\\Names";
    for (const wchar_t *name : {L"line\nbreak", L"carriage\rreturn"})
        add_sz(HKEY_LOCAL_MACHINE, names + L"\\" + name + L"\\Inner", L"v", L"below a name with a line break");
    add_sz(HKEY_LOCAL_MACHINE, names, L"value\nname", L"a value name with a line break");
}

size_t CountLines(const std::wstring &text, const std::wstring &start)
{
    size_t count = 0;
    for (size_t at = 0; (at = text.find(L"\n" + start, at)) != std::wstring::npos; ++at)
        ++count;
    return count;
}

std::wstring SummaryOf(const std::wstring &out)
{
    size_t at = out.rfind(L"\nSummary of the run\n");
    return at == std::wstring::npos ? L"" : out.substr(at + 1);
}

// What the run printed between the record's lines and the summary.
std::wstring Body(const std::wstring &out)
{
    size_t start = out.find(L"\n\n");
    size_t end = out.rfind(L"\nSummary of the run\n");
    return start == std::wstring::npos || end == std::wstring::npos ? L"" : out.substr(start + 2, end - start - 2);
}

class RecordTest : public testing::TestWithParam<winsim::MachineKind> {};

}  // namespace

TEST_P(RecordTest, ImportingTheUndoFileGivesBackEveryKeyAndValueTheRunRemoved)
{
    InstallHardMachine(GetParam());
    const std::wstring before = Registry();
    const std::wstring lockedSecurity = KeyTree(HKEY_LOCAL_MACHINE, std::wstring(SERVICE) + L"\\Locked");
    PlantUnwritableNames();
    Outcome run = RunVxclean({L"-clear"});
    const std::wstring afterRun = Registry();
    ASSERT_EQ(0u, run.status) << run.err;
    ASSERT_EQ(std::vector<std::wstring>{L"C:\\Windows\\Temp\\vxclean-20261207-093000"}, RecordFolders());
    const std::wstring folder = RecordFolders()[0];
    EXPECT_EQ(0u, run.out.find(RECORD_LINE));
    EXPECT_EQ(run.out, RecordText(folder, L"log.txt"));
    EXPECT_EQ(SummaryOf(run.out), RecordText(folder, L"summary.txt"));

    const std::wstring undo = RecordText(folder, L"undo.reg");
    EXPECT_NE(std::wstring::npos,
              undo.find(L"; Registry link HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\vxcsp\\Link to "
                        L"\\REGISTRY\\MACHINE\\SOFTWARE\\Microsoft\n"));
    // Every key the run took over has its owner and DACL before the run.
    const size_t owners = CountLines(undo, L"; Owner and DACL of ");
    EXPECT_NE(std::wstring::npos, undo.find(L"\\Services\\vxcsp\\Locked before the run: O:BAD:(D;"));
    EXPECT_NE(std::wstring::npos, undo.find(L"; Deleted file: C:\\"));
    EXPECT_EQ(UNWRITABLE_ENTRIES, CountLines(run.out, L"Not in the undo file: "));
    EXPECT_NE(std::wstring::npos,
              run.out.find(L"\nNot in the undo file: the key HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001"
                           L"\\Services\\vxcsp\\Names\\line\u240Abreak\\Inner (its name cannot be"));

    ASSERT_TRUE(ImportUndoFile(folder));
    // The link is a comment: everything else is back, byte for byte.
    add_link(std::wstring(SERVICE) + L"\\Link", L"SOFTWARE\\Microsoft");
    EXPECT_TRUE(before == Registry()) << Difference(before, Registry());
    EXPECT_NE(lockedSecurity, KeyTree(HKEY_LOCAL_MACHINE, std::wstring(SERVICE) + L"\\Locked"));

    // The summary's counts are what the registry lost.
    std::wistringstream keysBefore(before), keysAfter(afterRun);
    std::set<std::wstring> kept;
    std::wstring line;
    size_t removed = 0;
    while (std::getline(keysAfter, line))
        if (!line.empty() && line[0] == L'[')
            kept.insert(line);
    while (std::getline(keysBefore, line))
        removed += !line.empty() && line[0] == L'[' && !kept.count(line);
    const std::wstring summary = SummaryOf(run.out);
    EXPECT_NE(std::wstring::npos,
              summary.find(SummaryLine(L"Registry keys removed:", std::to_wstring(removed + UNWRITABLE_ENTRIES - 1))))
        << summary;
    EXPECT_NE(std::wstring::npos,
              summary.find(SummaryLine(L"Undo file:", L"INCOMPLETE: it lacks " + std::to_wstring(UNWRITABLE_ENTRIES))));
    EXPECT_EQ(removed, owners);
}

// The users' private keys, in the vendor's key (deleted on request) and in
// the click-to-run copy of its settings (deleted by every removal), leave no
// data in any file of the record; everything else comes back.
TEST_P(RecordTest, PrivateKeysLeaveNoTraceInTheRecord)
{
    const std::wstring copy = L"SOFTWARE\\Microsoft\\Office\\16.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\"
                              L"Vexa Lune\\Settings\\USERS\\S-1-5-18\\Keys";
    const struct {
        std::initializer_list<const wchar_t *> options;
        const wchar_t *firstNote;
    } runs[] = {
        {{L"-clear"}, L"\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune\\Settings\\USERS\\S-1-5-18\\Keys and"},
        {{L"-clear", L"-delkeys", L"-from_window"}, L"\n; HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexa Lune and everything"},
    };
    for (const auto &options : runs) {
        InstallHardMachine(GetParam());
        add_sz(HKEY_LOCAL_MACHINE, copy + L"\\c2r", L"Name", L"container");
        const std::wstring before = Registry(false);
        Outcome run = RunVxclean(options.options);
        ASSERT_EQ(0u, run.status) << run.err;
        verify_key_nonexist(HKEY_LOCAL_MACHINE, copy);
        ASSERT_EQ(1u, RecordFolders().size());
        for (const wchar_t *file : {L"undo.reg", L"log.txt", L"summary.txt"}) {
            const std::wstring text = RecordText(RecordFolders()[0], file);
            EXPECT_FALSE(text.empty()) << file;
            EXPECT_EQ(std::wstring::npos, text.find(L"container")) << file;
        }
        EXPECT_NE(std::wstring::npos, RecordText(RecordFolders()[0], L"undo.reg").find(options.firstNote));
        EXPECT_NE(std::wstring::npos,
                  SummaryOf(run.out).find(
                      SummaryLine(L"Undo file:", L"complete but for the users' private keys, which are never kept")));
        ASSERT_TRUE(ImportUndoFile(RecordFolders()[0]));
        add_link(std::wstring(SERVICE) + L"\\Link", L"SOFTWARE\\Microsoft");
        EXPECT_TRUE(before == Registry(false)) << Difference(before, Registry(false));
    }
}

// The restart is asked once the record is whole: a session that ends at the
// question loses nothing of it.
TEST_P(RecordTest, ARunEndedAtTheRestartQuestionHasItsWholeRecord)
{
    InstallHardMachine(GetParam());
    winsim::QueueDialogAnswers({IDNO});
    Outcome declined = RunVxclean({L"-clear", L"-reboot"});
    ASSERT_EQ(1u, winsim::DialogsShown().size());

    InstallHardMachine(GetParam());
    winsim::KillAtCall("MessageBoxW", winsim::CallCount("MessageBoxW") + 1);
    {
#ifdef __SANITIZE_ADDRESS__
        __lsan::ScopedDisabler killedRunLeaks;
#endif
        EXPECT_THROW(RunVxclean({L"-clear", L"-reboot"}), winsim::ProcessKilled);
    }
    ASSERT_EQ(1u, RecordFolders().size());
    EXPECT_EQ(declined.out, RecordText(RecordFolders()[0], L"log.txt"));
    EXPECT_EQ(SummaryOf(declined.out), RecordText(RecordFolders()[0], L"summary.txt"));
    EXPECT_NE(std::wstring::npos,
              SummaryOf(declined.out).find(SummaryLine(L"Restart needed:", L"yes; the restart is asked after")));
}

TEST_P(RecordTest, AKilledRunLeavesAnUndoFileThatGivesBackAllItRemoved)
{
    const char *const changes[] = {"RegDeleteKeyExW",   "RegDeleteKeyW", "RegDeleteValueW", "RegSetValueExW",
                                   "RegSetKeySecurity", "ZwDeleteKey",   "WriteFile"};
    InstallHardMachine(GetParam());
    std::map<std::string, unsigned> calls;
    for (const char *function : changes)
        calls[function] = winsim::CallCount(function);
    RunVxclean({L"-clear", L"-delkeys"});
    for (const char *function : changes)
        calls[function] = winsim::CallCount(function) - calls[function];

    const unsigned KILLS = 24;
    for (unsigned i = 0; i < KILLS; ++i) {
        const char *function = changes[i % (sizeof changes / sizeof changes[0])];
        if (calls[function] == 0)
            continue;
        unsigned nth = 1 + (i * 7919u) % calls[function];
        InstallHardMachine(GetParam());
        const std::wstring before = Registry(false);
        winsim::KillAtCall(function, winsim::CallCount(function) + nth);
        {
#ifdef __SANITIZE_ADDRESS__
            // A killed process's memory goes with it; here it stays behind.
            __lsan::ScopedDisabler killedRunLeaks;
#endif
            EXPECT_THROW(RunVxclean({L"-clear", L"-delkeys"}), winsim::ProcessKilled) << function << " " << nth;
        }
        ASSERT_EQ(1u, RecordFolders().size());
        ASSERT_TRUE(ImportUndoFile(RecordFolders()[0])) << function << " " << nth;
        add_link(std::wstring(SERVICE) + L"\\Link", L"SOFTWARE\\Microsoft");
        EXPECT_TRUE(before == Registry(false))
            << "killed at " << function << " call " << nth << Difference(before, Registry(false));
    }
}

TEST_P(RecordTest, ARecordThatCannotBeMadeOrWrittenChangesNothingOfTheRun)
{
    InstallHardMachine(GetParam());
    Outcome normal = RunVxclean({L"-clear"});
    const std::wstring cleaned = Registry();
    ASSERT_EQ(RECORD_LINE, normal.out.substr(0, wcslen(RECORD_LINE)));

    const wchar_t NO_FOLDER[] =
        L"No undo file: cannot make the folder C:\\Windows\\Temp\\vxclean-20261207-093000 (error 5";
    const wchar_t UNDO_CUT[] = L"  Undo file:                INCOMPLETE: writing it failed (error 112";
    const wchar_t LOG_CUT[] = L"The log of this run is incomplete (error 112";
    // The folder refused, then each of the record's first writes failing in turn.
    std::set<const wchar_t *> said;
    for (unsigned nth = 0; nth <= 12; ++nth) {
        InstallHardMachine(GetParam());
        if (nth == 0)
            winsim::FailCall("CreateDirectoryW", winsim::CallCount("CreateDirectoryW") + 1, ERROR_ACCESS_DENIED);
        else
            winsim::FailCall("WriteFile", winsim::CallCount("WriteFile") + nth, ERROR_DISK_FULL_CODE);
        Outcome faulted = RunVxclean({L"-clear"});
        EXPECT_EQ(normal.status, faulted.status) << nth;
        EXPECT_TRUE(cleaned == Registry()) << nth;
        EXPECT_TRUE(Body(normal.out) == Body(faulted.out)) << nth;
        for (const wchar_t *text : {NO_FOLDER, UNDO_CUT, LOG_CUT})
            if (faulted.out.find(text) != std::wstring::npos)
                said.insert(text);
        // What a full volume took of the undo file is whole entries only.
        if (nth > 0 && !RecordText(RecordFolders()[0], L"undo.reg").empty()) {
            EXPECT_TRUE(ImportUndoFile(RecordFolders()[0])) << nth;
        }
    }
    EXPECT_EQ((std::set<const wchar_t *>{NO_FOLDER, UNDO_CUT, LOG_CUT}), said);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecordTest,
                         testing::Values(winsim::MachineKind::Windows64, winsim::MachineKind::Windows32));
