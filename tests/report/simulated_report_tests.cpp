// Console colours and exact system texts, which only the simulated machine
// shows: under Wine the output is a pipe without a console and the texts
// have Wine's own wording.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "output_capture.h"
#include "report/report.h"

namespace {

class SimulatedReportTest : public testing::Test {
  protected:
    void SetUp() override
    {
        winsim::ResetMachine();
    }
};

}  // namespace

TEST_F(SimulatedReportTest, ColoursAreRedThenWhiteThenRestored)
{
    const WORD yellowOnBlue = 0x1E;
    SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), yellowOnBlue);
    OutputCapture capture;
    ReportError(SOURCE_INSTALL, 1, 5, REPORT_ALL, "x");
    EXPECT_EQ((std::vector<WORD>{yellowOnBlue, 12, 15, yellowOnBlue}), winsim::ConsoleAttributeHistory());
    EXPECT_EQ(yellowOnBlue, winsim::ConsoleAttribute());
}

TEST_F(SimulatedReportTest, WithoutAConsoleTheReportIsPlainText)
{
    winsim::SetConsoleAttached(false);
    OutputCapture capture;
    EXPECT_EQ(5u, ReportError(SOURCE_INSTALL, 3, 5, REPORT_ALL, "RegOpenKeyEx()"));
    EXPECT_TRUE(winsim::ConsoleAttributeHistory().empty());
    EXPECT_EQ(L"An error occurred in running the program.\n"
              L"install:3:RegOpenKeyEx()\n"
              L"Error number 0x5 (5).\n"
              L"Access is denied.\r\n\n",
              capture.Err());
}
