// The registry in the text form of Windows' registry editor, so that a test's
// machine is a file a person can read and the same file loads into Wine with
// "regedit /s". Values keep their type and the exact bytes Windows holds: a
// REG_SZ that is well-formed text with one terminator at its end is written
// as text, everything else as hex of those bytes.
//
// The format cannot say that a key is a link (made with REG_OPTION_CREATE_LINK):
// a saved machine names its links in comments at the end of the file
// ("; Link: <key>"), which only restoring a machine reads. An import, like
// Windows' "reg import", passes over them and never makes a link: a key with
// a REG_LINK value "SymbolicLinkValue" is an ordinary key.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "../machine.h"
#include "../security_ids.h"
#include "../utf16.h"
#include "reg_key.h"
#include "winsim/utf8.h"

namespace winsim {
namespace {

const wchar_t HEADER[] = L"Windows Registry Editor Version 5.00";
const size_t LINE_WIDTH = 80;
const wchar_t LINKS_NOTE[] = L"; The keys below are links, made with REG_OPTION_CREATE_LINK.";
const wchar_t LINK_PREFIX[] = L"; Link: ";

std::wstring Quoted(const std::wstring &text)
{
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            quoted += L'\\';
        // Line breaks in names would end the line: written as \n and \r.
        if (c == L'\n' || c == L'\r')
            quoted += c == L'\n' ? L"\\n" : L"\\r";
        else
            quoted += c;
    }
    return quoted + L"\"";
}

// A REG_SZ that reads back the same from a quoted string: whole units, no
// lone surrogate, no control character, one terminator at its end.
bool IsPlainString(const RegValue &value, std::wstring *text)
{
    if (value.type != REG_SZ || value.data.size() % 2)
        return false;
    *text = DecodeUtf16(value.data.data(), value.data.size());
    if (text->empty() || text->back() != L'\0')
        return false;
    text->pop_back();
    for (wchar_t c : *text)
        if (c < 0x20 || (c >= 0xD800 && c < 0xE000))
            return false;
    return true;
}

void AppendHex(std::wstring &out, std::wstring line, const std::vector<BYTE> &bytes)
{
    wchar_t item[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::swprintf(item, 4, L"%02x", bytes[i]);
        line += item;
        if (i + 1 < bytes.size()) {
            line += L',';
            if (line.size() > LINE_WIDTH - 4) {
                out += line + L"\\\r\n";
                line = L"  ";
            }
        }
    }
    out += line + L"\r\n";
}

void ExportValue(std::wstring &out, const RegValue &value)
{
    std::wstring line = (value.name.empty() ? L"@" : Quoted(value.name)) + L"=";
    std::wstring text;
    wchar_t type[16];
    if (IsPlainString(value, &text)) {
        out += line + Quoted(text) + L"\r\n";
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number;
        std::memcpy(&number, value.data.data(), 4);
        std::swprintf(type, 16, L"dword:%08x", number);
        out += line + type + L"\r\n";
    } else if (value.type == REG_BINARY) {
        AppendHex(out, line + L"hex:", value.data);
    } else {
        std::swprintf(type, 16, L"hex(%x):", value.type);
        AppendHex(out, line + type, value.data);
    }
}

void ExportTree(std::wstring &out, std::vector<std::wstring> &links, const RegKey &key, const std::wstring &name)
{
    out += L"\r\n[" + name + L"]\r\n";
    if (key.link)
        links.push_back(name);
    for (const RegValue &value : key.values)
        ExportValue(out, value);
    for (const KeyPtr &child : key.subkeys)
        ExportTree(out, links, *child, name + L"\\" + child->name);
}

// One step of an import, checked before anything is changed. A link step
// names a key of a saved machine that is a link.
struct ImportStep {
    KeyPath key;
    bool deleteKey;
    bool hasValue;
    bool deleteValue;
    RegValue value;
    bool link;
};

bool ParseRoot(const std::wstring &name, KeyPath *path)
{
    KeyPath names = SplitPath(name.c_str());
    if (names.empty())
        return false;
    std::wstring root = names[0];
    names.erase(names.begin());
    KeyPath prefix;
    if (SameName(root, L"HKEY_LOCAL_MACHINE") || SameName(root, L"HKLM"))
        prefix = {L"MACHINE"};
    else if (SameName(root, L"HKEY_USERS") || SameName(root, L"HKU"))
        prefix = {L"USER"};
    else if (SameName(root, L"HKEY_CURRENT_USER") || SameName(root, L"HKCU"))
        prefix = {L"USER", SidText(UserSid())};
    else if (SameName(root, L"HKEY_CLASSES_ROOT") || SameName(root, L"HKCR"))
        prefix = {L"MACHINE", L"SOFTWARE", L"Classes"};
    else
        return false;
    prefix.insert(prefix.end(), names.begin(), names.end());
    *path = prefix;
    return true;
}

bool ParseQuoted(const std::wstring &line, size_t *at, std::wstring *text)
{
    if (*at >= line.size() || line[*at] != L'"')
        return false;
    text->clear();
    for (size_t i = *at + 1; i < line.size(); ++i) {
        if (line[i] == L'\\' && i + 1 < line.size()) {
            ++i;
            *text += line[i] == L'n' ? L'\n' : line[i] == L'r' ? L'\r' : line[i];
        } else if (line[i] == L'"') {
            *at = i + 1;
            return true;
        } else {
            *text += line[i];
        }
    }
    return false;
}

bool ParseHexBytes(const std::wstring &text, std::vector<BYTE> *bytes)
{
    bytes->clear();
    std::wstring item;
    for (size_t i = 0; i <= text.size(); ++i) {
        wchar_t c = i < text.size() ? text[i] : L',';
        if (c == L' ' || c == L'\t')
            continue;
        if (c != L',') {
            item += c;
            continue;
        }
        if (item.empty()) {
            if (i == text.size())
                break;
            return false;
        }
        wchar_t *end;
        unsigned long byte = std::wcstoul(item.c_str(), &end, 16);
        if (*end || byte > 0xFF || item.size() > 2)
            return false;
        bytes->push_back(static_cast<BYTE>(byte));
        item.clear();
    }
    return true;
}

bool ParseData(const std::wstring &text, RegValue *value, bool *deleteValue)
{
    *deleteValue = text == L"-";
    if (*deleteValue)
        return true;
    size_t at = 0;
    std::wstring string;
    if (ParseQuoted(text, &at, &string)) {
        if (at != text.size())
            return false;
        *value = RegValue{value->name, REG_SZ, EncodeUtf16(string.c_str(), string.size() + 1)};
        return true;
    }
    if (text.compare(0, 6, L"dword:") == 0) {
        wchar_t *end;
        unsigned long number = std::wcstoul(text.c_str() + 6, &end, 16);
        if (*end || text.size() != 14)
            return false;
        DWORD dword = static_cast<DWORD>(number);
        const BYTE *bytes = reinterpret_cast<const BYTE *>(&dword);
        *value = RegValue{value->name, REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
        return true;
    }
    size_t colon = text.find(L':');
    if (colon == std::wstring::npos || (text.compare(0, 3, L"hex") != 0))
        return false;
    std::wstring kind = text.substr(0, colon);
    DWORD type = REG_BINARY;
    if (kind != L"hex") {
        size_t open = kind.find(L'('), close = kind.find(L')');
        if (open != 3 || close != kind.size() - 1)
            return false;
        std::wstring digits = kind.substr(open + 1, close - open - 1);
        if (digits.empty() || digits.size() > 8 ||
            digits.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
            return false;
        type = static_cast<DWORD>(std::wcstoul(digits.c_str(), nullptr, 16));
    }
    std::vector<BYTE> bytes;
    if (!ParseHexBytes(text.substr(colon + 1), &bytes))
        return false;
    *value = RegValue{value->name, type, bytes};
    return true;
}

std::vector<std::wstring> LogicalLines(const std::wstring &text)
{
    std::vector<std::wstring> lines;
    std::wstring line;
    bool continuing = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        wchar_t c = i < text.size() ? text[i] : L'\n';
        if (c == L'\r')
            continue;
        if (c != L'\n') {
            line += c;
            continue;
        }
        if (continuing) {
            size_t start = line.find_first_not_of(L" \t");
            line = start == std::wstring::npos ? L"" : line.substr(start);
            lines.back() += line;
        } else {
            lines.push_back(line);
        }
        std::wstring &last = lines.back();
        continuing = !last.empty() && last.back() == L'\\' && last.find(L"=hex") != std::wstring::npos;
        if (continuing)
            last.pop_back();
        line.clear();
    }
    return lines;
}

bool Parse(const std::wstring &text, std::vector<ImportStep> *steps, std::wstring *reason)
{
    std::vector<std::wstring> lines = LogicalLines(text);
    size_t at = 0;
    while (at < lines.size() && lines[at].empty())
        ++at;
    if (at == lines.size() || lines[at] != HEADER) {
        *reason = L"not a registry file";
        return false;
    }
    bool inKey = false;
    KeyPath key;
    for (++at; at < lines.size(); ++at) {
        // Indented lines read as if they were not, blank ones are skipped.
        size_t start = lines[at].find_first_not_of(L" \t");
        const std::wstring line = start == std::wstring::npos ? std::wstring() : lines[at].substr(start);
        if (line.compare(0, wcslen(LINK_PREFIX), LINK_PREFIX) == 0) {
            if (!ParseRoot(line.substr(wcslen(LINK_PREFIX)), &key)) {
                *reason = L"bad link line: " + line;
                return false;
            }
            inKey = false;
            steps->push_back(ImportStep{key, false, false, false, RegValue(), true});
            continue;
        }
        if (line.empty() || line[0] == L';')
            continue;
        if (line[0] == L'[') {
            bool remove = line.size() > 1 && line[1] == L'-';
            if (line.back() != L']' || !ParseRoot(line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2)), &key)) {
                *reason = L"bad key line: " + line;
                return false;
            }
            inKey = !remove;
            steps->push_back(ImportStep{key, remove, false, false, RegValue(), false});
            continue;
        }
        ImportStep step{key, false, true, false, RegValue(), false};
        size_t pos = 0;
        if (line[0] == L'@') {
            pos = 1;
        } else if (!ParseQuoted(line, &pos, &step.value.name)) {
            *reason = L"bad value name: " + line;
            return false;
        }
        if (!inKey || pos >= line.size() || line[pos] != L'=' ||
            !ParseData(line.substr(pos + 1), &step.value, &step.deleteValue)) {
            *reason = L"bad value line: " + line;
            return false;
        }
        steps->push_back(step);
    }
    return true;
}

void Apply(const ImportStep &step, bool restoreLinks)
{
    KeyPtr key;
    if (step.link) {
        if (restoreLinks && WalkPath(step.key, true, &key) == ERROR_SUCCESS)
            key->link = true;
        return;
    }
    if (step.deleteKey) {
        if (WalkPath(step.key, true, &key) == ERROR_SUCCESS && key->parent)
            DetachKey(*key);
        return;
    }
    bool created;
    // A link's own key is meant, never its target.
    CreatePath(step.key, true, false, nullptr, &key, &created);
    if (!step.hasValue)
        return;
    RegValue *existing = FindValue(*key, step.value.name);
    if (step.deleteValue) {
        if (existing)
            key->values.erase(key->values.begin() + (existing - key->values.data()));
    } else if (existing) {
        *existing = step.value;
    } else {
        key->values.push_back(step.value);
    }
}

std::wstring DecodeFile(const std::string &bytes)
{
    if (bytes.size() >= 2 && static_cast<BYTE>(bytes[0]) == 0xFF && static_cast<BYTE>(bytes[1]) == 0xFE)
        return DecodeUtf16(reinterpret_cast<const BYTE *>(bytes.data()) + 2, bytes.size() - 2);
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    return DecodeUtf8(bytes.c_str() + start);
}

bool ReadRegistry(const std::wstring &text, bool restoreLinks, std::wstring *reason)
{
    std::vector<ImportStep> steps;
    if (!Parse(text, &steps, reason))
        return false;
    for (const ImportStep &step : steps)
        Apply(step, restoreLinks);
    return true;
}

bool ReadRegistryFile(const std::string &path, bool restoreLinks, std::wstring *reason)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *reason = L"cannot open the file";
        return false;
    }
    std::string bytes;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    std::fclose(file);
    return ReadRegistry(DecodeFile(bytes), restoreLinks, reason);
}

}  // namespace

std::wstring ExportRegistry()
{
    std::wstring out = HEADER + std::wstring(L"\r\n");
    std::vector<std::wstring> links;
    const std::pair<const wchar_t *, const wchar_t *> roots[] = {{L"MACHINE", L"HKEY_LOCAL_MACHINE"},
                                                                 {L"USER", L"HKEY_USERS"}};
    for (const auto &root : roots)
        if (KeyPtr key = FindChild(*TheMachine().registry, root.first))
            ExportTree(out, links, *key, root.second);
    if (!links.empty())
        out += L"\r\n" + std::wstring(LINKS_NOTE) + L"\r\n";
    for (const std::wstring &link : links)
        out += LINK_PREFIX + link + L"\r\n";
    return out;
}

bool ImportRegistry(const std::wstring &text, std::wstring *reason)
{
    return ReadRegistry(text, false, reason);
}

bool RestoreRegistry(const std::wstring &text, std::wstring *reason)
{
    return ReadRegistry(text, true, reason);
}

bool ExportRegistryFile(const std::string &path)
{
    std::vector<BYTE> bytes = {0xFF, 0xFE};
    std::vector<BYTE> text = EncodeUtf16(ExportRegistry());
    bytes.insert(bytes.end(), text.begin(), text.end());
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool ImportRegistryFile(const std::string &path, std::wstring *reason)
{
    return ReadRegistryFile(path, false, reason);
}

bool RestoreRegistryFile(const std::string &path, std::wstring *reason)
{
    return ReadRegistryFile(path, true, reason);
}

}  // namespace winsim
