#include <string>

#include "output_capture.h"
#include "registry/registry.h"
#include "registry_fixture.h"

namespace {

struct Listing {
    DWORD result;
    DWORD keys;
    DWORD values;
    std::wstring out;
    std::wstring err;
};

Listing List(const std::wstring &path, const std::wstring &shown)
{
    HKEY key;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key));
    OutputCapture capture;
    Listing listing = {0, 0, 0, L"", L""};
    listing.result = ListKeyContents(key, shown.c_str(), 0, &listing.keys, &listing.values);
    RegCloseKey(key);
    listing.out = capture.Out();
    listing.err = capture.Err();
    return listing;
}

}  // namespace

typedef RegistryTest ListKeyContentsTest;

TEST_F(ListKeyContentsTest, DisplayedPathsAreCutAt254Characters)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Long\\child");
    std::wstring shown(250, L'x');
    Listing listing = List(T + L"\\Long", shown);
    EXPECT_EQ(L"Key: " + shown + L"\n  Key: " + shown + L"\\chi\n", listing.out);
    EXPECT_EQ(2u, listing.keys);
}

// Windows allows 255 characters in a key name; the terminator comes on top.
TEST_F(ListKeyContentsTest, KeyNamesOf255CharactersAreListedWipedAndSearched)
{
    const std::wstring longest(255, L'n');
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\N\\" + longest + L"\\below", L"v", L"1");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\N\\z");
    Listing listing = List(T + L"\\N", L"N");
    EXPECT_EQ(0u, listing.result);
    EXPECT_EQ(4u, listing.keys);
    EXPECT_EQ(1u, listing.values);
    EXPECT_NE(std::wstring::npos, listing.out.find(L"  Key: N\\" + longest.substr(0, 252) + L"\n"));
    EXPECT_NE(std::wstring::npos, listing.out.find(L"  Key: N\\z\n"));

    OutputCapture capture;
    EXPECT_EQ(0u, WipeMatchingKeys((T + L"\\N").c_str(), L"nnn", nullptr, 1, 0));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\N\\" + longest);
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\N\\z");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\N\\" + longest + L"\\below");
    EXPECT_EQ(0u, DeleteKey(HKEY_LOCAL_MACHINE, (T + L"\\N").c_str(), 1, 0));
    capture.Stop();
    EXPECT_EQ(std::wstring::npos, capture.Err().find(L"RegEnumKeyEx")) << capture.Err();
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\N");
}

TEST_F(ListKeyContentsTest, LinksAreShownNotFollowed)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Elsewhere", L"secret", L"x");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\L");
    add_link(T + L"\\L\\away", T + L"\\Elsewhere");
    add_link(T + L"\\L\\loop", T + L"\\L");
    Listing listing = List(T + L"\\L", L"L");
    EXPECT_NE(std::wstring::npos, listing.out.find(L"  Link: L\\away\n"));
    EXPECT_NE(std::wstring::npos, listing.out.find(L"  Link: L\\loop\n"));
    EXPECT_EQ(std::wstring::npos, listing.out.find(L"secret"));
    EXPECT_EQ(3u, listing.keys);
}
