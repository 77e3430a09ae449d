#include <cerrno>
#include <cwctype>
#include <string>

#include <gtest/gtest.h>

#include "installer/installer.h"

namespace {

GUID Parse(const wchar_t *registryForm)
{
    GUID guid = {};
    EXPECT_EQ(S_OK, IIDFromString(registryForm, &guid));
    return guid;
}

std::wstring Pack(const GUID &guid)
{
    wchar_t packed[38];
    EXPECT_EQ(S_OK, BEStringFromCLSID(packed, guid));
    return packed;
}

bool Same(const GUID &a, const GUID &b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 && std::equal(a.Data4, a.Data4 + 8, b.Data4);
}

}  // namespace

// Each field's digits reversed, those of each byte of the last two swapped:
// nibbles move, bytes never do.
TEST(PackedGuid, PacksAndUnpacksBothWaysInAnyCaseReadingOnly32Characters)
{
    const struct {
        const wchar_t *registry;
        const wchar_t *packed;
    } codes[] = {
        {L"{01234567-89AB-CDEF-0123-456789ABCDEF}", L"76543210BA98FEDC1032547698BADCFE"},
        {L"{00112233-4455-6677-8899-AABBCCDDEEFF}", L"33221100554477668899AABBCCDDEEFF"},
        {L"{6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F601}", L"01C4A8E6B3D125F4A9702B1C4D5E6F10"},
        {L"{00000000-0000-0000-0000-000000000000}", L"00000000000000000000000000000000"},
        {L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}", L"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
    };
    for (const auto &code : codes) {
        GUID guid = Parse(code.registry);
        EXPECT_EQ(code.packed, Pack(guid));
        std::wstring lower(code.packed);
        for (wchar_t &c : lower)
            c = static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
        for (const std::wstring &text : {std::wstring(code.packed), lower, std::wstring(code.packed) + L" and more"}) {
            GUID back;
            EXPECT_EQ(S_OK, CLSIDFromBEString(text.c_str(), &back)) << text.size();
            EXPECT_TRUE(Same(guid, back)) << text.size();
        }
    }
}

TEST(PackedGuid, TextsThatAreNot32HexDigitsAreRefused)
{
    GUID guid;
    for (const wchar_t *text : {L"", L"01C4A8E6", L"01C4A8E6B3D125F4A9702B1C4D5E6F1",
                                L"+1C4A8E6B3D125F4A9702B1C4D5E6F10", L" 1C4A8E6B3D125F4A9702B1C4D5E6F10",
                                L"0x0000000000000000000000000000000", L"01C4A8E6B3D125F4A9702B1C4D5E6FG0",
                                L"01C4A8E6-3D125F4A9702B1C4D5E6F10", L"{6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F601}"})
        EXPECT_EQ(E_INVALIDARG, CLSIDFromBEString(text, &guid)) << std::wstring(text).size();
    EXPECT_EQ(E_INVALIDARG, CLSIDFromHexString(nullptr, &guid));
    EXPECT_EQ(E_INVALIDARG, CLSIDFromHexString(L"00000000000000000000000000000000", nullptr));
    EXPECT_EQ(E_INVALIDARG, BEStringFromCLSID(nullptr, guid));
}

TEST(PackedGuid, ZerosConvertWhateverAnEarlierCallLeftInErrno)
{
    GUID guid;
    errno = EINVAL;
    EXPECT_EQ(S_OK, CLSIDFromBEString(L"00000000000000000000000000000000", &guid));
    errno = ERANGE;
    EXPECT_EQ(S_OK, CLSIDFromHexString(L"00000000000000000000000000000000", &guid));
    EXPECT_EQ(0u, guid.Data1);
}
