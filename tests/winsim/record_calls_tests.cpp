// What an undo record is written with, where only the simulated machine can
// decide the answer: its local clock, flushing a file and failures planted in
// it, and NtQueryKey through our 32-bit process's view of a 64-bit registry.
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "registry_helpers.h"
#include "test_machine.h"

namespace {

typedef LONG(NTAPI *NtQueryKeyFunction)(HANDLE, int, PVOID, ULONG, PULONG);

std::wstring NtName(HKEY key)
{
    FARPROC entry = GetProcAddress(LoadLibraryW(L"ntdll.dll"), "NtQueryKey");
    BYTE buffer[512];
    ULONG needed, length;
    LONG status = reinterpret_cast<NtQueryKeyFunction>(reinterpret_cast<void (*)()>(entry))(key, 3, buffer,
                                                                                            sizeof buffer, &needed);
    if (status)
        return L"status " + std::to_wstring(static_cast<DWORD>(status));
    std::memcpy(&length, buffer, sizeof length);
    return std::wstring(reinterpret_cast<const WCHAR *>(buffer + sizeof length), length / sizeof(WCHAR));
}

}  // namespace

TEST(WinsimRecordCalls, TheLocalClockIsTheHostsUntilFixed)
{
    winsim::ResetMachine();
    SYSTEMTIME now;
    GetLocalTime(&now);
    time_t host = time(nullptr);
    EXPECT_EQ(localtime(&host)->tm_year + 1900, now.wYear);

    winsim::SetLocalClock(2024, 2, 29, 23, 59, 58);
    GetLocalTime(&now);
    EXPECT_EQ((std::vector<WORD>{2024, 2, 4, 29, 23, 59, 58, 0}),
              (std::vector<WORD>{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                 now.wMilliseconds}));
    EXPECT_TRUE(winsim::SetLocalClock(std::string("2001-09-09 01:46:40")));
    GetLocalTime(&now);
    EXPECT_EQ(
        (std::vector<WORD>{2001, 9, 0, 9, 1, 46, 40}),
        (std::vector<WORD>{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond}));
    for (const char *bad : {"2023-02-29 00:00:00", "2001-9-09 01:46:40", "2001-09-09T01:46:40", "2001-09-09 24:00:00",
                            "2001-09-09 01:46:40 ", "", "1600-01-01 00:00:00"})
        EXPECT_FALSE(winsim::SetLocalClock(std::string(bad))) << bad;
    GetLocalTime(&now);
    EXPECT_EQ(2001, now.wYear);
    winsim::ResetMachine();
    GetLocalTime(&now);
    EXPECT_EQ(localtime(&host)->tm_year + 1900, now.wYear);
}

TEST(WinsimRecordCalls, FlushFileBuffersNeedsAHandleOpenForWritingAndCanBeFailed)
{
    StartFreshMachine();
    HANDLE written = CreateFileW(L"C:\\undo.reg", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, written);
    EXPECT_TRUE(FlushFileBuffers(written));
    winsim::FailCall("FlushFileBuffers", 2, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(FlushFileBuffers(written));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    CloseHandle(written);
    HANDLE read = CreateFileW(L"C:\\undo.reg", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(FlushFileBuffers(read));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    CloseHandle(read);
    EXPECT_FALSE(FlushFileBuffers(read));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(4u, winsim::CallCount("FlushFileBuffers"));
}

TEST(WinsimRecordCalls, NtQueryKeyNamesTheRedirectedKeyALinkItselfAndCanBeFailed)
{
    winsim::ResetMachine();
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vendor");
    add_link(L"SOFTWARE\\Vendor\\Link", L"SOFTWARE\\Wow6432Node\\Vendor", KEY_WOW64_64KEY);
    HKEY vendor, link;
    ASSERT_EQ(0, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vendor", 0, KEY_READ, &vendor));
    ASSERT_EQ(0, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vendor\\Link", REG_OPTION_OPEN_LINK,
                               KEY_READ | KEY_WOW64_64KEY, &link));
    EXPECT_EQ(L"\\REGISTRY\\MACHINE\\SOFTWARE\\Wow6432Node\\Vendor", NtName(vendor));
    EXPECT_EQ(L"\\REGISTRY\\MACHINE\\SOFTWARE\\Vendor\\Link", NtName(link));
    winsim::FailCall("NtQueryKey", 3, static_cast<LONG>(0xC0000022));
    EXPECT_EQ(L"status " + std::to_wstring(0xC0000022u), NtName(vendor));
    EXPECT_EQ(3u, winsim::CallCount("NtQueryKey"));
    RegCloseKey(vendor);
    RegCloseKey(link);
}
