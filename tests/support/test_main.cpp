// The test programs' entry: a locale that can show every character the
// program prints, so that captured output decodes back to the same text.
#include <gtest/gtest.h>

#include "test_machine.h"

int main(int argc, char **argv)
{
    SelectTestLocale();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
