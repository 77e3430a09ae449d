// The host's console text: UTF-8 whatever the locale, which only the host
// build has (Windows converts to the console's code page).
#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "output_capture.h"
#include "report/console_text.h"
#include "test_machine.h"

TEST(SimulatedConsoleText, NonAsciiTextIsUtf8EvenInTheCLocale)
{
    setlocale(LC_ALL, "C");
    OutputCapture capture;
    PrintOut(L"%ls \x2013 %lc\n", L"Векса-Люн", static_cast<wint_t>(L'ё'));
    fflush(stdout);
    std::string bytes = capture.OutBytes();
    SelectTestLocale();
    EXPECT_EQ("\xD0\x92\xD0\xB5\xD0\xBA\xD1\x81\xD0\xB0-\xD0\x9B\xD1\x8E\xD0\xBD \xE2\x80\x93 \xD1\x91\n", bytes);
}

TEST(SimulatedConsoleText, NarrowAndWideWritersShareAStream)
{
    OutputCapture capture;
    printf("narrow ");
    PrintOut(L"wide ");
    printf("narrow\n");
    EXPECT_EQ("narrow wide narrow\n", capture.OutBytes());
}
