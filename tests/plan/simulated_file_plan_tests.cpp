// The 64-bit pass's folders on 64-bit Windows: only the simulated machine runs
// our process under WOW64 (Wine runs the 64-bit build natively).
#include <gtest/gtest.h>
#include <winsim/control.h>

#include "driver/process_state.h"
#include "output_capture.h"
#include "plan/plan.h"
#include "plan_doubles.h"

TEST(SimulatedFilePlan, The64BitPassTakesTheW6432FoldersEvenInReportMode)
{
    winsim::ResetMachine();
    RegViewFlag = KEY_WOW64_64KEY;
    Calls() = PlanCalls();
    OutputCapture quiet;
    CleanFiles(0, 0);
    quiet.Stop();
    RegViewFlag = 0;
    ASSERT_GE(Calls().lines.size(), 2u);
    EXPECT_EQ(L"Tree C:\\Program Files\\Vexa Lune mode 0", Calls().lines[0]);
    EXPECT_EQ(L"Tree C:\\Program Files\\Common Files\\Vexa Lune mode 0", Calls().lines[1]);

    Calls() = PlanCalls();
    OutputCapture quietToo;
    CleanFiles(0, 0);
    EXPECT_EQ(L"Tree C:\\Program Files (x86)\\Vexa Lune mode 0", Calls().lines[0]);
}
