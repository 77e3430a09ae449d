// The undo file's notes of what the run did to files, naming each item where
// it really is. An item left for a restart waits under a temporary name, and
// inside a tree wipe the folders above it may still move to temporary names
// of their own: its note waits for the end of the outermost wipe, and says
// where the item waits then.
#include <cwchar>
#include <exception>
#include <vector>

#include "files/files.h"
#include "record/record.h"

namespace {

struct HeldNote {
    FileChange change;
    std::wstring path;
    std::wstring real;  // empty when it could not be read
    std::wstring now;   // empty when the item stays where it was
};

std::vector<HeldNote> heldNotes;
int wipesUnderWay = 0;

LPCWSTR OrNull(const std::wstring &text)
{
    return text.empty() ? nullptr : text.c_str();
}

void Write(const HeldNote &note)
{
    NoteFileChange(note.change, note.path.c_str(), OrNull(note.real), OrNull(note.now));
}

}  // namespace

void NoteFound(FindingKind kind, LPCWSTR lpPath)
{
    std::wstring real;
    NoteFoundFile(kind, lpPath, RealPathOf(lpPath, &real) ? real.c_str() : nullptr);
}

void NoteDeleted(FileChange change, LPCWSTR lpPath, const std::wstring &real)
{
    NoteFileChange(change, lpPath, OrNull(real), nullptr);
}

std::wstring NameAfterMove(const std::wstring &real, LPCWSTR lpTmpName)
{
    if (real.empty())
        return lpTmpName;
    LPCWSTR separator = wcsrchr(lpTmpName, L'\\');
    return real.substr(0, real.rfind(L'\\') + 1) + (separator ? separator + 1 : lpTmpName);
}

void NoteAtRestart(FileChange change, LPCWSTR lpPath, const std::wstring &real, LPCWSTR lpTmpName)
{
    HeldNote note = {change, lpPath, real, lpTmpName ? NameAfterMove(real, lpTmpName) : L""};
    if (wipesUnderWay)
        heldNotes.push_back(note);
    else
        Write(note);
}

void MoveHeldNotes(const std::wstring &from, const std::wstring &to)
{
    for (HeldNote &note : heldNotes)
        if (note.now.size() > from.size() && note.now[from.size()] == L'\\' &&
            _wcsnicmp(note.now.c_str(), from.c_str(), from.size()) == 0)
            note.now = to + note.now.substr(from.size());
}

RestartNotesHeld::RestartNotesHeld()
{
    ++wipesUnderWay;
}

RestartNotesHeld::~RestartNotesHeld()
{
    if (--wipesUnderWay)
        return;
    // A process killed on the way writes nothing more; only the simulated
    // machine kills one by unwinding it.
    if (std::uncaught_exceptions() == 0)
        for (const HeldNote &note : heldNotes)
            Write(note);
    heldNotes.clear();
}
