// The whole program on a machine where the product family is installed, on
// 64-bit Windows (both views, which Wine cannot show) and on 32-bit Windows:
// a remove pass leaves exactly the machine without the products, and a second
// one finds nothing. The recorded runs hold what a report pass prints and
// that it changes nothing.
#include <map>
#include <sstream>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "driver/process_state.h"
#include "test_machine.h"
#include "untidy_strings.h"
#include "whole_run.h"

namespace {

struct Machine {
    std::wstring registry;
    std::map<std::string, std::string> files;
};

Machine Snapshot()
{
    return Machine{winsim::ExportRegistry(), DriveC()};
}

class InstalledMachineTest : public testing::TestWithParam<winsim::MachineKind> {};

}  // namespace

TEST_P(InstalledMachineTest, RemovingLeavesExactlyTheMachineWithoutTheProducts)
{
    InstallMachine(GetParam(), false);
    Machine clean = Snapshot();
    InstallMachine(GetParam());
    EXPECT_EQ(0u, RunVxclean({L"-clear"}).status);
    Machine after = Snapshot();
    EXPECT_TRUE(clean.files == after.files);
    for (const auto &file : after.files)
        EXPECT_EQ(1u, clean.files.count(file.first)) << "left: " << file.first;
    for (const auto &file : clean.files)
        EXPECT_EQ(1u, after.files.count(file.first)) << "lost: " << file.first;
    ASSERT_TRUE(clean.registry == after.registry);

    EXPECT_EQ(0u, RunVxclean({L"-clear", L"-warn"}).status);
    EXPECT_TRUE(after.registry == winsim::ExportRegistry());
}

// Strings that are no well-formed text, which the run reads and leaves: a
// machine that has it exported, loaded fresh, exports the same again.
TEST_P(InstalledMachineTest, StringsThatAreNoWellFormedTextLeaveARunWithTheirBytes)
{
    InstallMachine(GetParam());
    std::wstring reason;
    ASSERT_TRUE(winsim::ImportRegistry(UntidyStringsFile(), &reason));
    EXPECT_EQ(0u, RunVxclean({L"-clear"}).status);
    std::wstring after = winsim::ExportRegistry();
    EXPECT_EQ(std::vector<std::wstring>(), MissingUntidyLines(after));

    StartFreshMachine();
    winsim::SetMachineKind(GetParam());
    ASSERT_TRUE(winsim::ImportRegistry(after, &reason));
    EXPECT_TRUE(after == winsim::ExportRegistry());
}

INSTANTIATE_TEST_SUITE_P(Kinds, InstalledMachineTest,
                         testing::Values(winsim::MachineKind::Windows64, winsim::MachineKind::Windows32));
