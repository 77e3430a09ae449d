#include <cwchar>

#include "installer/installer.h"

namespace {

const wchar_t HEX_DIGITS[] = L"0123456789ABCDEF";
const size_t PACKED_DIGITS = 32;
const size_t SCRATCH_CHARS = 38;

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

struct Group {
    size_t position;
    size_t width;
};

// Reads one group of exactly `width` hexadecimal digits. Only digits are let
// through to the base-16 conversion, so signs, blanks, "0x" and short texts
// are refused here, whatever errno held before.
bool ReadGroup(LPCWSTR lpText, Group group, unsigned long *value)
{
    wchar_t scratch[SCRATCH_CHARS] = {};
    for (size_t i = 0; i < group.width; ++i) {
        if (!IsHexDigit(lpText[group.position + i]))
            return false;
        scratch[i] = lpText[group.position + i];
    }
    *value = wcstoul(scratch, nullptr, 16);
    return true;
}

}  // namespace

HRESULT BEStringFromCLSID(LPWSTR lpOut, GUID guid)
{
    if (!lpOut)
        return E_INVALIDARG;
    const unsigned char bytes[16] = {
        static_cast<unsigned char>(guid.Data1),
        static_cast<unsigned char>(guid.Data1 >> 8),
        static_cast<unsigned char>(guid.Data1 >> 16),
        static_cast<unsigned char>(guid.Data1 >> 24),
        static_cast<unsigned char>(guid.Data2),
        static_cast<unsigned char>(guid.Data2 >> 8),
        static_cast<unsigned char>(guid.Data3),
        static_cast<unsigned char>(guid.Data3 >> 8),
        guid.Data4[0],
        guid.Data4[1],
        guid.Data4[2],
        guid.Data4[3],
        guid.Data4[4],
        guid.Data4[5],
        guid.Data4[6],
        guid.Data4[7],
    };
    for (size_t i = 0; i < 16; ++i) {
        lpOut[2 * i] = HEX_DIGITS[bytes[i] & 0xF];
        lpOut[2 * i + 1] = HEX_DIGITS[bytes[i] >> 4];
    }
    lpOut[PACKED_DIGITS] = L'\0';
    return S_OK;
}

HRESULT CLSIDFromHexString(LPCWSTR lpText, GUID *lpGuid)
{
    if (!lpText || !lpGuid)
        return E_INVALIDARG;
    unsigned long value;
    if (!ReadGroup(lpText, {0, 8}, &value))
        return E_INVALIDARG;
    lpGuid->Data1 = static_cast<decltype(lpGuid->Data1)>(value);
    if (!ReadGroup(lpText, {8, 4}, &value))
        return E_INVALIDARG;
    lpGuid->Data2 = static_cast<unsigned short>(value);
    if (!ReadGroup(lpText, {12, 4}, &value))
        return E_INVALIDARG;
    lpGuid->Data3 = static_cast<unsigned short>(value);
    for (size_t k = 0; k < 8; ++k) {
        if (!ReadGroup(lpText, {16 + 2 * k, 2}, &value))
            return E_INVALIDARG;
        lpGuid->Data4[k] = static_cast<unsigned char>(value);
    }
    return S_OK;
}

HRESULT CLSIDFromBEString(LPCWSTR lpText, GUID *lpGuid)
{
    HRESULT result = CLSIDFromHexString(lpText, lpGuid);
    if (result != S_OK)
        return result;
    // Packing swaps the nibbles of every byte: packing the misread GUID gives
    // the plain text of the GUID that the packed text stands for.
    wchar_t plain[SCRATCH_CHARS];
    result = BEStringFromCLSID(plain, *lpGuid);
    if (result != S_OK)
        return result;
    return CLSIDFromHexString(plain, lpGuid);
}
