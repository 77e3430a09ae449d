// The registry form of GUIDs, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, as ole32
// reads and writes it.
#include <cstdlib>
#include <cwchar>

#include "winsim/windows.h"

namespace {

const size_t REGISTRY_FORM_LENGTH = 38;

int HexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

bool ReadHex(const wchar_t *text, size_t digits, unsigned long long *value)
{
    *value = 0;
    for (size_t i = 0; i < digits; ++i) {
        int digit = HexValue(text[i]);
        if (digit < 0)
            return false;
        *value = (*value << 4) | static_cast<unsigned>(digit);
    }
    return true;
}

}  // namespace

HRESULT WINAPI IIDFromString(LPCOLESTR lpsz, LPIID lpiid)
{
    if (!lpsz || !lpiid || std::wcslen(lpsz) != REGISTRY_FORM_LENGTH || lpsz[0] != L'{' || lpsz[37] != L'}' ||
        lpsz[9] != L'-' || lpsz[14] != L'-' || lpsz[19] != L'-' || lpsz[24] != L'-')
        return E_INVALIDARG;
    unsigned long long data1, data2, data3, byte;
    if (!ReadHex(lpsz + 1, 8, &data1) || !ReadHex(lpsz + 10, 4, &data2) || !ReadHex(lpsz + 15, 4, &data3))
        return E_INVALIDARG;
    GUID guid = {static_cast<uint32_t>(data1), static_cast<uint16_t>(data2), static_cast<uint16_t>(data3), {}};
    const size_t bytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!ReadHex(lpsz + bytePositions[i], 2, &byte))
            return E_INVALIDARG;
        guid.Data4[i] = static_cast<uint8_t>(byte);
    }
    *lpiid = guid;
    return S_OK;
}

HRESULT WINAPI StringFromIID(REFIID rclsid, LPOLESTR *lplpsz)
{
    LPOLESTR text = static_cast<LPOLESTR>(CoTaskMemAlloc((REGISTRY_FORM_LENGTH + 1) * sizeof(OLECHAR)));
    if (!text)
        return E_OUTOFMEMORY;
    std::swprintf(text, REGISTRY_FORM_LENGTH + 1, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(rclsid.Data1), rclsid.Data2, rclsid.Data3, rclsid.Data4[0], rclsid.Data4[1],
                  rclsid.Data4[2], rclsid.Data4[3], rclsid.Data4[4], rclsid.Data4[5], rclsid.Data4[6], rclsid.Data4[7]);
    *lplpsz = text;
    return S_OK;
}

LPVOID WINAPI CoTaskMemAlloc(size_t cb)
{
    return std::malloc(cb ? cb : 1);
}

void WINAPI CoTaskMemFree(LPVOID pv)
{
    std::free(pv);
}
