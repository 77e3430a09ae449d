// The host's console text, where narrow and wide writers share a stream
// (its UTF-8 whatever the locale is the recorded runs' to hold).
#include <string>

#include <gtest/gtest.h>

#include "output_capture.h"
#include "report/console_text.h"

TEST(SimulatedConsoleText, NarrowAndWideWritersShareAStream)
{
    OutputCapture capture;
    printf("narrow ");
    PrintOut(L"wide ");
    printf("narrow\n");
    EXPECT_EQ("narrow wide narrow\n", capture.OutBytes());
}
