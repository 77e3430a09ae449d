#include <cwchar>

#include "driver/process_state.h"
#include "record/record.h"
#include "record/run_record.h"
#include "report/console_log.h"
#include "report/console_text.h"
#include "report/tally.h"

namespace {

const wchar_t CONTINUATION[] = L"\n                            ";

void AddLine(std::wstring *text, const wchar_t *label, const std::wstring &what)
{
    wchar_t padded[64];
    swprintf(padded, 64, L"  %-26ls", label);
    *text += padded + what + L"\n";
}

std::wstring Number(DWORD number)
{
    wchar_t text[16];
    swprintf(text, 16, L"%lu", static_cast<unsigned long>(number));
    return text;
}

void AddCount(std::wstring *text, const wchar_t *label, TallyItem item, const wchar_t *what = L"")
{
    AddLine(text, label, Number(TallyOf(item)) + what);
}

std::wstring UndoState()
{
    if (!TheRecord.noUndo.empty())
        return L"none: " + TheRecord.noUndo;
    std::wstring state;
    if (!TheRecord.writeFailure.empty())
        state = L"INCOMPLETE: writing it failed (" + TheRecord.writeFailure +
                L"); nothing the run removed after that is in it";
    if (TheRecord.dwMissing)
        state += (state.empty() ? L"INCOMPLETE: " : L"; ") + std::wstring(L"it lacks ") + Number(TheRecord.dwMissing) +
                 L" entries (each named in the log as \"Not in the undo file\")," + CONTINUATION + L"the first: " +
                 TheRecord.missing;
    if (!state.empty())
        return state;
    std::wstring gives = TheRecord.fPrivateKeysLeftOut
                             ? L"complete but for the users' private keys, which are never kept:" +
                                   std::wstring(CONTINUATION) +
                                   L"importing it gives back every other registry key and value"
                             : L"complete: importing it gives back every registry key and value";
    return gives + CONTINUATION + L"the run deleted or changed; links, owners and DACLs of keys, and files" +
           CONTINUATION + L"are listed in it as comments only";
}

std::wstring RestartState(RestartPlan restart)
{
    std::wstring needed = RebootNeeded || TallyOf(TALLY_AT_RESTART) ? L"yes" : L"no";
    if (restart == RESTART_AFTER_SUMMARY)
        return needed + L"; the restart is asked after this summary (if Windows refuses it," + CONTINUATION +
               L"the exit status gains 1)";
    if (restart == RESTART_IMPOSSIBLE)
        return needed + L"; the restart cannot be asked: the shutdown privilege is not held";
    return needed;
}

std::wstring Summary(DWORD dwStatus, RestartPlan restart)
{
    std::wstring text = L"Summary of the run\n";
    AddCount(&text, L"Registry keys removed:", TALLY_KEYS, L" (subkeys and links included)");
    AddLine(&text, L"Registry values removed:",
            Number(TallyOf(TALLY_VALUES_IN_KEYS) + TallyOf(TALLY_VALUES)) + L" (" +
                Number(TallyOf(TALLY_VALUES_IN_KEYS)) + L" with their keys, " + Number(TallyOf(TALLY_VALUES)) +
                L" on their own)");
    AddCount(&text, L"Shared lists repaired:", TALLY_MULTI_STRINGS);
    AddCount(&text, L"Files deleted:", TALLY_FILES);
    AddCount(&text, L"Folders deleted:", TALLY_FOLDERS);
    AddCount(&text, L"Driver packages removed:", TALLY_DRIVER_PACKAGES);
    AddCount(&text, L"Waiting for a restart:", TALLY_AT_RESTART, L" files and folders");
    AddLine(&text, L"Restart needed:", RestartState(restart));
    AddCount(&text, L"Failures:", TALLY_FAILURES);
    AddCount(&text, L"Residue reported (warn):", TALLY_RESIDUE);
    AddLine(&text, L"Exit status:", Number(dwStatus));
    if (!TheRecord.fKept) {
        AddLine(&text, L"Record of this run:", L"none, a report run changes nothing");
        return text;
    }
    AddLine(&text, L"Undo file:", UndoState());
    if (!TheRecord.logProblem.empty())
        AddLine(&text, L"Log:", L"incomplete: " + TheRecord.logProblem);
    AddLine(&text, L"Record of this run:", TheRecord.folder.empty() ? L"none" : TheRecord.folder);
    return text;
}

void WriteSummaryFile(const std::wstring &summary)
{
    std::wstring path = TheRecord.folder + L"\\summary.txt";
    TextFile file;
    if (!CreateTextFile(&file, path.c_str())) {
        TheRecord.logProblem = L"summary.txt: " + ErrorText(GetLastError());
        return;
    }
    AppendText(&file, summary.c_str());
    if (!CloseTextFile(&file))
        TheRecord.logProblem = L"summary.txt: " + ErrorText(file.error);
}

void CloseLog()
{
    SetConsoleLog(nullptr);
    if (TheRecord.fLogOpen && !CloseTextFile(&TheRecord.log))
        PrintOut(L"The log of this run is incomplete (%ls)\n", ErrorText(TheRecord.log.error).c_str());
    TheRecord.fLogOpen = FALSE;
}

}  // namespace

void FinishRecord(DWORD dwStatus, RestartPlan restart)
{
    if (TheRecord.fUndoOpen) {
        if (!CloseTextFile(&TheRecord.undo))
            TheRecord.writeFailure = ErrorText(TheRecord.undo.error);
        TheRecord.fUndoOpen = FALSE;
    }
    std::wstring summary = Summary(dwStatus, restart);
    if (!TheRecord.folder.empty()) {
        std::wstring problem = TheRecord.logProblem;
        WriteSummaryFile(summary);
        if (TheRecord.logProblem != problem)
            summary = Summary(dwStatus, restart);
    }
    PrintOut(L"\n%ls", summary.c_str());
    CloseLog();
}
