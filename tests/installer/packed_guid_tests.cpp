#include <cerrno>
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

TEST(PackedGuid, TheWorkedExampleBothWays)
{
    GUID guid = Parse(L"{01234567-89AB-CDEF-0123-456789ABCDEF}");
    EXPECT_EQ(L"76543210BA98FEDC1032547698BADCFE", Pack(guid));
    GUID unpacked;
    EXPECT_EQ(S_OK, CLSIDFromBEString(L"76543210BA98FEDC1032547698BADCFE", &unpacked));
    EXPECT_TRUE(Same(guid, unpacked));
}

TEST(PackedGuid, PackingSwapsNibblesNeverBytes)
{
    EXPECT_EQ(L"33221100554477668899AABBCCDDEEFF", Pack(Parse(L"{00112233-4455-6677-8899-AABBCCDDEEFF}")));
}

TEST(PackedGuid, RoundTripsAndLowerCaseAndOnly32CharactersRead)
{
    for (const wchar_t *text : {L"{6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F601}", L"{00000000-0000-0000-0000-000000000000}",
                                L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}", L"{9F2B7D40-AB12-4C3E-8D5F-0123456789AB}"}) {
        GUID guid = Parse(text);
        std::wstring packed = Pack(guid);
        EXPECT_EQ(32u, packed.size());
        EXPECT_EQ(std::wstring::npos, packed.find_first_not_of(L"0123456789ABCDEF"));
        GUID back;
        EXPECT_EQ(S_OK, CLSIDFromBEString(packed.c_str(), &back));
        EXPECT_TRUE(Same(guid, back));
    }
    GUID lower, trailing;
    EXPECT_EQ(S_OK, CLSIDFromBEString(L"01c4a8e6b3d125f4a9702b1c4d5e6f10", &lower));
    EXPECT_EQ(S_OK, CLSIDFromBEString(L"01C4A8E6B3D125F4A9702B1C4D5E6F10 and more", &trailing));
    EXPECT_TRUE(Same(Parse(L"{6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F601}"), lower));
    EXPECT_TRUE(Same(lower, trailing));
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
