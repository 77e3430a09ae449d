#include "record/record.h"

#include "record/run_record.h"
#include "report/tally.h"

void NoteListRepaired(HKEY hKey, LPCWSTR lpValueName)
{
    // On 64-bit Windows both views reach the same SYSTEM key: a list is
    // known by the kernel's name of its key. One that cannot be named is
    // counted each time.
    std::wstring key;
    if (KernelKeyName(hKey, &key) != 0 || TheRecord.repairedLists.insert(UpperCase(key + L"\\" + lpValueName)).second)
        Tally(TALLY_MULTI_STRINGS);
}
