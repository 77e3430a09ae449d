// What an undo record is written with, where only the simulated machine can
// decide the answer: its local clock, and flushing a file and failures
// planted in it.
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "test_machine.h"

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
