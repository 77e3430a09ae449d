// The program's entry: the console locale, the confirmation dialogs and the
// three fixed inner command lines of the install command.
#include <clocale>
#include <cwchar>

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "report/console_text.h"

namespace {

const wchar_t CAPTION[] = L"Предупреждение";
const wchar_t REMOVE_ALL_TEXT[] = L"Все продукты компании Векса-Люн будут уничтожены! Продолжить?";
const wchar_t DELETE_KEYS_TEXT[] = L"Удалить все закрытые ключи?";
const wchar_t REALLY_DELETE_KEYS_TEXT[] = L"Точно удалить все закрытые ключи? Эта операция необратима.";

enum InnerForm { PLAIN, CONFIRMED, CONFIRMED_WITH_KEYS };

void SelectConsoleLocale()
{
    UINT codePage = GetConsoleOutputCP();
    setlocale(LC_ALL, codePage == 866 ? ".866" : codePage == 1251 ? ".1251" : "");
}

int Ask(const wchar_t *text, UINT style)
{
    return MessageBoxW(nullptr, text, CAPTION, style);
}

bool IsRefusal(int answer)
{
    return answer == IDNO || answer == IDCANCEL || answer == IDABORT;
}

bool IsHelpRequest(const wchar_t *argument)
{
    const wchar_t *const patterns[] = {L"help", L"-h", L"\\h", L"/h", L"?"};
    for (const wchar_t *pattern : patterns)
        if (wcsstr(argument, pattern))
            return true;
    return false;
}

int RunForm(const wchar_t *program, InnerForm form)
{
    const wchar_t *inner[4] = {program, L"-clear"};
    int count = 2;
    if (form == CONFIRMED_WITH_KEYS)
        inner[count++] = L"-delkeys";
    if (form != PLAIN)
        inner[count++] = L"-from_window";
    ProgramName = program;
    return static_cast<int>(InstallCommand(count, inner));
}

}  // namespace

extern "C" int wmain(int argc, wchar_t **argv)
{
    SelectConsoleLocale();

    if (argc <= 1) {
        int answer = Ask(REMOVE_ALL_TEXT, MB_YESNO);
        if (answer == IDYES)
            return RunForm(argv[0], CONFIRMED);
        if (IsRefusal(answer))
            return 1;
        // The dialog could not be shown: clean as if started with an argument.
        return RunForm(argv[0], PLAIN);
    }

    if (wcsstr(argv[1], L"-delkeys")) {
        if (Ask(REMOVE_ALL_TEXT, MB_YESNO) != IDYES)
            return 1;
        int answer = Ask(DELETE_KEYS_TEXT, MB_YESNO);
        if (IsRefusal(answer))
            return RunForm(argv[0], CONFIRMED);
        if (answer == IDYES) {
            answer = Ask(REALLY_DELETE_KEYS_TEXT, MB_YESNO | MB_ICONEXCLAMATION);
            if (IsRefusal(answer))
                return RunForm(argv[0], CONFIRMED);
            if (answer == IDYES)
                return RunForm(argv[0], CONFIRMED_WITH_KEYS);
        }
    }

    if (IsHelpRequest(argv[1])) {
        PrintOut(L"Run with any parameter to clean out CSP.\n");
        PrintOut(L"Run with -delkeys to remove private keys.\n");
        return 1;
    }
    return RunForm(argv[0], PLAIN);
}
