// The LSA package list repairs on arbitrary value bytes: the first input
// byte picks the repair, the mode, warn and the value's type, the rest is
// the value. Every element other than the product's first one must survive
// in order; the SSL repair may only add the missing system packages after
// them; a value that is not a list of characters, or one seen in report
// mode, stays byte for byte; a restart is needed exactly when it changed.
// The value's bytes are Windows' own (UTF-16LE), planted and read as the
// registry keeps them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <winsim/control.h>

#include "driver/process_state.h"
#include "repair/repair.h"

namespace {

const wchar_t LSA_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const wchar_t PACKAGES[] = L"Security Packages";
const size_t CHAR_SIZE = 2;

typedef std::vector<std::wstring> Names;

void Check(bool condition)
{
    if (!condition)
        abort();
}

HKEY LsaKey()
{
    static HKEY key = nullptr;
    if (!key)
        Check(RegCreateKeyExW(HKEY_LOCAL_MACHINE, LSA_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
              ERROR_SUCCESS);
    return key;
}

std::vector<BYTE> ReadValue(DWORD *type)
{
    std::vector<BYTE> data;
    Check(winsim::GetStoredValue(LsaKey(), PACKAGES, type, &data) == ERROR_SUCCESS);
    return data;
}

std::wstring Chars(const std::vector<BYTE> &data)
{
    std::wstring text(data.size() / CHAR_SIZE, L'\0');
    for (size_t c = 0; c < text.size(); ++c) {
        uint32_t unit = 0;
        for (size_t b = 0; b < CHAR_SIZE; ++b)
            unit |= static_cast<uint32_t>(data[c * CHAR_SIZE + b]) << (8 * b);
        text[c] = static_cast<wchar_t>(unit);
    }
    return text;
}

// The names the value holds, whatever its form: the runs of characters
// between NULs. Empty places between NULs name nothing.
Names Runs(const std::wstring &text)
{
    Names names;
    size_t start = 0;
    for (size_t c = 0; c <= text.size(); ++c) {
        if (c == text.size() || text[c] == L'\0') {
            if (c > start)
                names.push_back(text.substr(start, c - start));
            start = c + 1;
        }
    }
    return names;
}

bool Holds(const Names &names, const std::wstring &name)
{
    for (const std::wstring &held : names)
        if (held == name)
            return true;
    return false;
}

// What the list must hold after the repair in remove mode.
Names Expected(const Names &before, const std::wstring &product, bool ssl)
{
    Names after;
    bool removed = false;
    bool repairSystem = ssl;
    for (const std::wstring &name : before) {
        if (!removed && name == product) {
            removed = true;
            continue;
        }
        if (!removed && name == L"\"\"")
            repairSystem = false;
        after.push_back(name);
    }
    if (repairSystem)
        for (const wchar_t *system : {L"schannel", L"kerberos", L"msv1_0"})
            if (!Holds(after, system))
                after.push_back(system);
    return after;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    bool ssl = data[0] & 1;
    DWORD mode = (data[0] >> 1) & 1;
    DWORD warn = (data[0] >> 2) & 1;
    DWORD type = (data[0] & 8) ? REG_BINARY : REG_MULTI_SZ;
    std::vector<BYTE> before(data + 1, data + size);
    Check(winsim::SetStoredValue(LsaKey(), PACKAGES, type, before) == ERROR_SUCCESS);
    RebootNeeded = 0;

    DWORD result = ssl ? SslRegUninstall(mode, warn) : TlsRegUninstall(mode, warn);

    DWORD typeAfter;
    std::vector<BYTE> after = ReadValue(&typeAfter);
    Check(typeAfter == type);
    bool isList = type == REG_MULTI_SZ && before.size() % CHAR_SIZE == 0;
    if (!isList) {
        Check(result == ERROR_INVALID_DATA && after == before && RebootNeeded == 0);
        return 0;
    }
    Names names = Runs(Chars(before));
    const std::wstring product = ssl ? L"vxssl" : L"vxtls";
    Check((result != 0) == (warn && Holds(names, product)));
    if (mode == 0) {
        Check(after == before && RebootNeeded == 0);
        return 0;
    }
    Check(RebootNeeded == (after != before ? 1 : 0));
    Check(Runs(Chars(after)) == Expected(names, product, ssl));
    if (after != before) {
        // A rewritten list is closed by its empty element.
        std::wstring written = Chars(after);
        Check(after.size() % CHAR_SIZE == 0 && !written.empty() && written.back() == L'\0');
        Check(written.size() == 1 || written[written.size() - 2] == L'\0');
    }
    return 0;
}
