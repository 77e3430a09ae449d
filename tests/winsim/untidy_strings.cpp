#include "untidy_strings.h"

const wchar_t UNTIDY_KEY[] = L"SOFTWARE\\Microsoft\\MMC\\SnapIns\\{22222222-3333-4444-5555-666666666666}";

namespace {

const wchar_t *const LINES[] = {
    L"\"sz lone\"=hex(1):41,00,00,d8,42,00,00,00",
    L"\"sz odd\"=hex(1):41,00,00,00,7f",
    L"\"expand tail\"=hex(2):25,00,58,00,25,00,00,00,00,dc,3d,d8,00,de,20",
    L"\"multi\"=hex(7):61,00,00,00,00,d8,00,00,00,00,7a,00",
};

}  // namespace

std::wstring UntidyStringsFile()
{
    std::wstring file =
        L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::wstring(UNTIDY_KEY) + L"]\r\n";
    for (const wchar_t *line : LINES)
        file += line + std::wstring(L"\r\n");
    return file;
}

std::vector<std::wstring> MissingUntidyLines(const std::wstring &exported)
{
    std::vector<std::wstring> missing;
    for (const wchar_t *line : LINES)
        if (exported.find(L"\r\n" + std::wstring(line) + L"\r\n") == std::wstring::npos)
            missing.push_back(line);
    return missing;
}
