// The confirmation dialogs of the entry, answered by script: only the
// simulated machine can answer a message box (Wine without a display
// returns -1 at once).
#include <string>
#include <vector>

#include <winsim/control.h>

#include "driver_fixture.h"

namespace {

const wchar_t CAPTION[] = L"Предупреждение";
const wchar_t REMOVE_ALL[] = L"Все продукты компании Векса-Люн будут уничтожены! Продолжить?";
const wchar_t DELETE_KEYS[] = L"Удалить все закрытые ключи?";
const wchar_t REALLY_DELETE_KEYS[] = L"Точно удалить все закрытые ключи? Эта операция необратима.";
const wchar_t RESTART[] =
    L"Для завершения удаления продуктов компании Векса-Люн необходима перезагрузка! Выполнить её сейчас?";

const int CANNOT_SHOW = 0;

// The dialogs shown, by name: D1 to D3 for the confirmations, R for the
// restart; with a style other than the dialog's own, the name says so.
std::vector<std::wstring> DialogNames()
{
    std::vector<std::wstring> names;
    for (const winsim::Dialog &dialog : winsim::DialogsShown()) {
        std::wstring name = dialog.text == REMOVE_ALL           ? L"D1"
                            : dialog.text == DELETE_KEYS        ? L"D2"
                            : dialog.text == REALLY_DELETE_KEYS ? L"D3"
                            : dialog.text == RESTART            ? L"R"
                                                                : L"unknown: " + dialog.text;
        UINT expectedStyle = name == L"D3" ? MB_YESNO | MB_ICONEXCLAMATION : MB_YESNO;
        if (dialog.style != expectedStyle || dialog.caption != CAPTION)
            name += L" with wrong style or caption";
        names.push_back(name);
    }
    return names;
}

const Log NOTHING = {};
const Log CLEAN = {L"registry mode 1 warn 0 view 0", L"files mode 1 warn 0 view 0"};
const Log CLEAN_AND_KEYS = {L"registry mode 1 warn 0 view 0", L"files mode 1 warn 0 view 0",
                            L"DeleteKey HKLM\\SOFTWARE\\Vexa Lune mode 1 warn 0 view 0"};

struct Answering {
    std::vector<const wchar_t *> arguments;
    std::vector<int> answers;  // the restart question, when asked, gets IDNO
    DWORD status;
    std::vector<std::wstring> dialogs;
    Log log;
};

class SimulatedEntryTest : public DriverTest {
  protected:
    void Expect(const char *file, int line, const Answering &expected)
    {
        SetUp();
        Engines().registryNeedsRestart = true;
        std::vector<int> answers = expected.answers;
        answers.push_back(IDNO);
        winsim::QueueDialogAnswers(answers);

        DWORD status = Start(expected.arguments).status;

        testing::ScopedTrace trace(file, line, "dialog scenario");
        EXPECT_EQ(expected.status, status);
        EXPECT_EQ(expected.dialogs, DialogNames());
        EXPECT_EQ(expected.log, CallLog());
    }
};

#define EXPECT_ANSWERING(...) Expect(__FILE__, __LINE__, Answering __VA_ARGS__)

}  // namespace

TEST_F(SimulatedEntryTest, EachAnswerLeadsWhereTheDialogsSay)
{
    // Without arguments the first dialog decides. Yes: the confirmed form,
    // which may offer the restart.
    EXPECT_ANSWERING({{}, {IDYES}, 0, {L"D1", L"R"}, CLEAN});
    EXPECT_ANSWERING({{}, {IDNO}, 1, {L"D1"}, NOTHING});
    EXPECT_ANSWERING({{}, {IDCANCEL}, 1, {L"D1"}, NOTHING});
    EXPECT_ANSWERING({{}, {IDABORT}, 1, {L"D1"}, NOTHING});
    // A dialog that cannot be shown, or an odd answer: the plain form, no restart offer.
    EXPECT_ANSWERING({{}, {CANNOT_SHOW}, 0, {L"D1"}, CLEAN});
    EXPECT_ANSWERING({{}, {IDOK}, 0, {L"D1"}, CLEAN});

    // Private keys go only after three yes; only the first argument counts.
    for (const wchar_t *first : {L"-delkeys", L"x-delkeys"})
        EXPECT_ANSWERING({{first, L"-help"}, {IDYES, IDYES, IDYES}, 0, {L"D1", L"D2", L"D3", L"R"}, CLEAN_AND_KEYS});
    // Declining the keys still removes the products.
    for (int refusal : {IDNO, IDCANCEL, IDABORT}) {
        EXPECT_ANSWERING({{L"-delkeys"}, {IDYES, refusal}, 0, {L"D1", L"D2", L"R"}, CLEAN});
        EXPECT_ANSWERING({{L"-delkeys"}, {IDYES, IDYES, refusal}, 0, {L"D1", L"D2", L"D3", L"R"}, CLEAN});
    }
    // Anything but yes to the first dialog ends the keys' path.
    for (int answer : {IDNO, IDCANCEL, IDABORT, CANNOT_SHOW, IDOK})
        EXPECT_ANSWERING({{L"-delkeys"}, {answer}, 1, {L"D1"}, NOTHING});
    // A keys dialog that cannot be shown falls through to help or plain cleaning.
    EXPECT_ANSWERING({{L"-delkeys"}, {IDYES, CANNOT_SHOW}, 0, {L"D1", L"D2"}, CLEAN});
    EXPECT_ANSWERING({{L"-delkeys"}, {IDYES, IDYES, CANNOT_SHOW}, 0, {L"D1", L"D2", L"D3"}, CLEAN});
    EXPECT_ANSWERING({{L"-delkeys?"}, {IDYES, CANNOT_SHOW}, 1, {L"D1", L"D2"}, NOTHING});
    // Arguments without delkeys never ask.
    EXPECT_ANSWERING({{L"-clear"}, {}, 0, {}, CLEAN});
    EXPECT_ANSWERING({{L"-DELKEYS"}, {}, 0, {}, CLEAN});
    EXPECT_ANSWERING({{L"/?"}, {}, 1, {}, NOTHING});
}
