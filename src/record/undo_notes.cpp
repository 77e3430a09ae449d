// What the registry editor's format cannot hold, written as comments: links
// (with their targets), and the files, folders and driver packages that the
// run deletes, which are the products' own and are not copied.
#include "record/record.h"

#include "record/run_record.h"
#include "report/tally.h"

namespace {

const wchar_t LINK_VALUE[] = L"SymbolicLinkValue";
const wchar_t NAME_AS_GIVEN[] = L" (as given: where it really is could not be read)";

}  // namespace

void UndoLink(HKEY hLink)
{
    if (!UndoActive())
        return;
    std::wstring path;
    DWORD type = REG_NONE;
    std::string bytes;
    if (LONG status = ReadValue(hLink, LINK_VALUE, &path, &type, &bytes)) {
        UndoMissingStatus(L"a registry link", status);
        return;
    }
    std::wstring target;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        target.push_back(static_cast<wchar_t>(static_cast<BYTE>(bytes[i]) | static_cast<BYTE>(bytes[i + 1]) << 8));
    TheRecord.text = OneLine(L"; Registry link " + path + L" to " + target) + L"\n\n";
    WriteUndoEntry();
}

void NoteFileChange(FileChange change, LPCWSTR lpPath, LPCWSTR lpRealPath, LPCWSTR lpNow)
{
    static const struct {
        TallyItem item;
        const wchar_t *text;
    } notes[] = {
        {TALLY_FILES, L"; Deleted file: "},
        {TALLY_FOLDERS, L"; Deleted folder: "},
        {TALLY_AT_RESTART, L"; File to be deleted at restart: "},
        {TALLY_AT_RESTART, L"; Folder to be deleted at restart: "},
        {TALLY_DRIVER_PACKAGES, L"; Removed driver package: "},
    };
    Tally(notes[change].item);
    if (!UndoActive())
        return;
    std::wstring note =
        notes[change].text + (lpRealPath ? std::wstring(lpRealPath) : lpPath + std::wstring(NAME_AS_GIVEN));
    if (lpNow)
        note += L", now " + std::wstring(lpNow);
    TheRecord.text = OneLine(note) + L"\n";
    WriteUndoEntry();
}
