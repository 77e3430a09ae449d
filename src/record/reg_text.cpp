// Keys and values in the registry editor's text, so that one import puts
// them back byte for byte: a string is written as text only when text gives
// back exactly its bytes, every other value as the bytes themselves.
#include <cwchar>

#include "record/run_record.h"

namespace {

// Bytes per line after the first, as the registry editor wraps them.
const size_t HEX_BYTES_PER_LINE = 25;

void AppendQuoted(std::wstring *out, const wchar_t *text, size_t length)
{
    out->push_back(L'"');
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == L'\\' || text[i] == L'"')
            out->push_back(L'\\');
        out->push_back(text[i]);
    }
    out->push_back(L'"');
}

// One UTF-16 unit of the data.
unsigned UnitAt(const BYTE *data, DWORD i)
{
    return data[2 * i] | (data[2 * i + 1] << 8);
}

// A REG_SZ that the text form gives back exactly: whole units, one
// terminator at the end and none before it, no line break, no surrogate.
bool IsPlainText(DWORD type, const BYTE *data, DWORD size)
{
    if (type != REG_SZ || size < 2 || size % 2 != 0 || UnitAt(data, size / 2 - 1) != 0)
        return false;
    for (DWORD i = 0; i + 1 < size / 2; ++i) {
        unsigned unit = UnitAt(data, i);
        if (unit == 0 || unit == L'\r' || unit == L'\n' || (unit >= 0xD800 && unit <= 0xDFFF))
            return false;
    }
    return true;
}

void AppendHex(std::wstring *out, DWORD type, const BYTE *data, DWORD size)
{
    wchar_t piece[32];
    if (type == REG_BINARY)
        out->append(L"hex:");
    else {
        swprintf(piece, 32, L"hex(%lx):", static_cast<unsigned long>(type));
        out->append(piece);
    }
    for (DWORD i = 0; i < size; ++i) {
        swprintf(piece, 32, i + 1 < size ? L"%02x," : L"%02x", data[i]);
        out->append(piece);
        if (i + 1 < size && (i + 1) % HEX_BYTES_PER_LINE == 0)
            out->append(L"\\\n  ");
    }
}

}  // namespace

void AppendKeyLine(std::wstring *out, const std::wstring &path)
{
    out->append(L"[");
    out->append(path);
    out->append(L"]\n");
}

BOOL AppendValueLine(std::wstring *out, LPCWSTR lpName, DWORD type, const BYTE *data, DWORD size)
{
    size_t nameLength = wcslen(lpName);
    if (wcspbrk(lpName, L"\r\n"))
        return FALSE;
    if (nameLength == 0)
        out->push_back(L'@');
    else
        AppendQuoted(out, lpName, nameLength);
    out->push_back(L'=');
    if (IsPlainText(type, data, size)) {
        std::wstring text;
        for (DWORD i = 0; i + 1 < size / 2; ++i)
            text.push_back(static_cast<wchar_t>(UnitAt(data, i)));
        AppendQuoted(out, text.c_str(), text.size());
    } else if (type == REG_DWORD && size == 4) {
        wchar_t number[16];
        swprintf(
            number, 16, L"dword:%08lx",
            static_cast<unsigned long>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24));
        out->append(number);
    } else {
        AppendHex(out, type, data, size);
    }
    out->push_back(L'\n');
    return TRUE;
}
