#include <string>

#include <gtest/gtest.h>

#include "output_capture.h"
#include "report/console_text.h"

TEST(ConsoleText, LinesLongerThanAnyBufferAreWrittenWhole)
{
    std::wstring path(70000, L'\x044F');
    OutputCapture capture;
    EXPECT_EQ(70001, PrintOut(L"%ls\n", path.c_str()));
    EXPECT_EQ(21, PrintErr(L"%-6ls|%5d|%lc%hs\n", L"ab", 42, static_cast<wint_t>(L'x'), "narrow"));
    EXPECT_EQ(70001u, capture.Out().size());
    EXPECT_TRUE(capture.Out() == path + L"\n");
    EXPECT_EQ(L"ab    |   42|xnarrow\n", capture.Err());
}
