#include <cwchar>

#include "driver/process_state.h"
#include "record/record.h"
#include "record/run_record.h"
#include "report/console_log.h"
#include "report/console_text.h"
#include "report/tally.h"

namespace {

void AddLine(std::wstring *text, const wchar_t *label, const std::wstring &what)
{
    wchar_t padded[64];
    swprintf(padded, 64, L"  %-26ls", label);
    *text += padded + what + L"\n";
}

void AddCount(std::wstring *text, const wchar_t *label, TallyItem item)
{
    wchar_t number[16];
    swprintf(number, 16, L"%lu", static_cast<unsigned long>(TallyOf(item)));
    AddLine(text, label, number);
}

std::wstring UndoState()
{
    if (!TheRecord.noUndo.empty())
        return L"none: " + TheRecord.noUndo;
    std::wstring state;
    if (!TheRecord.writeFailure.empty())
        state = L"INCOMPLETE: writing it failed (" + TheRecord.writeFailure +
                L"); nothing the run removed after that is in it";
    if (TheRecord.dwMissing) {
        wchar_t number[16];
        swprintf(number, 16, L"%lu", static_cast<unsigned long>(TheRecord.dwMissing));
        state += (state.empty() ? L"INCOMPLETE: " : L"; ") + std::wstring(number) +
                 L" entries could not be read, the first: " + TheRecord.missing;
    }
    return state.empty() ? L"complete" : state;
}

std::wstring Summary(DWORD dwStatus)
{
    std::wstring text = L"Summary of the run\n";
    AddCount(&text, L"Registry keys removed:", TALLY_KEYS);
    AddCount(&text, L"Registry values removed:", TALLY_VALUES);
    AddCount(&text, L"Multi-strings repaired:", TALLY_MULTI_STRINGS);
    AddCount(&text, L"Files deleted:", TALLY_FILES);
    AddCount(&text, L"Folders deleted:", TALLY_FOLDERS);
    AddCount(&text, L"Driver packages removed:", TALLY_DRIVER_PACKAGES);
    AddCount(&text, L"Waiting for a restart:", TALLY_AT_RESTART);
    AddLine(&text, L"Restart needed:", RebootNeeded || TallyOf(TALLY_AT_RESTART) ? L"yes" : L"no");
    AddCount(&text, L"Failures reported:", TALLY_FAILURES);
    AddCount(&text, L"Residue reported (warn):", TALLY_RESIDUE);
    wchar_t status[16];
    swprintf(status, 16, L"%lu", static_cast<unsigned long>(dwStatus));
    AddLine(&text, L"Exit status:", status);
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

void FinishRecord(DWORD dwStatus)
{
    if (TheRecord.fUndoOpen) {
        if (!CloseTextFile(&TheRecord.undo))
            TheRecord.writeFailure = ErrorText(TheRecord.undo.error);
        TheRecord.fUndoOpen = FALSE;
    }
    std::wstring summary = Summary(dwStatus);
    if (!TheRecord.folder.empty()) {
        std::wstring problem = TheRecord.logProblem;
        WriteSummaryFile(summary);
        if (TheRecord.logProblem != problem)
            summary = Summary(dwStatus);
    }
    PrintOut(L"\n%ls", summary.c_str());
    CloseLog();
    if (TheRecord.ntdll)
        FreeLibrary(TheRecord.ntdll);
    TheRecord.ntdll = nullptr;
}
