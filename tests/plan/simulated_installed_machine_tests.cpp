// The whole program on a machine where the product family is installed, on
// 64-bit Windows (both views, which Wine cannot show) and on 32-bit Windows:
// a report pass changes nothing, a remove pass leaves exactly the machine
// without the products, and a second one finds nothing.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "installed_family.h"
#include "output_capture.h"
#include "registry_helpers.h"
#include "test_machine.h"
#include "untidy_strings.h"

namespace {

// Every file and folder of drive C: with its content.
std::map<std::string, std::string> DriveC()
{
    std::map<std::string, std::string> files;
    std::string root = winsim::MachineFolder() + "/C";
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string name = entry.path().string().substr(root.size());
        if (entry.is_directory()) {
            files[name + "/"] = "";
        } else {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            files[name] = content.str();
        }
    }
    return files;
}

struct Machine {
    std::wstring registry;
    std::map<std::string, std::string> files;
};

Machine Snapshot()
{
    return Machine{winsim::ExportRegistry(), DriveC()};
}

DWORD RunVxclean(std::initializer_list<const wchar_t *> options, std::wstring *out = nullptr)
{
    std::vector<const wchar_t *> argv = {L"vxclean"};
    argv.insert(argv.end(), options.begin(), options.end());
    woptind = 0;
    ProgramName = argv[0];
    RegViewFlag = 0;
    RebootNeeded = 0;
    OutputCapture capture;
    DWORD status = InstallCommand(static_cast<int>(argv.size()), argv.data());
    if (out)
        *out = capture.Out();
    return status;
}

class InstalledMachineTest : public testing::TestWithParam<winsim::MachineKind> {
  protected:
    void Start()
    {
        StartFreshMachine();
        winsim::SetMachineKind(GetParam());
        EnableTakeOwnership();
    }
    // The machine as it should be once the products are gone.
    Machine Clean()
    {
        Start();
        InstallBystanders();
        return Snapshot();
    }
    void Install()
    {
        Start();
        InstallBystanders();
        InstallProductFamily();
    }
};

}  // namespace

TEST_P(InstalledMachineTest, ReportingChangesNothingAndCountsTheResidue)
{
    Install();
    Machine installed = Snapshot();
    std::wstring out;
    EXPECT_NE(0u, RunVxclean({L"-show", L"-warn"}, &out));
    EXPECT_TRUE(installed.registry == winsim::ExportRegistry());
    EXPECT_TRUE(installed.files == DriveC());
    EXPECT_NE(std::wstring::npos, out.find(L"    found: vxtls\n"));
    EXPECT_NE(std::wstring::npos, out.find(L"Key: SYSTEM\\CurrentControlSet\\Services\\vxcsp\n"));
}

TEST_P(InstalledMachineTest, RemovingLeavesExactlyTheMachineWithoutTheProducts)
{
    Machine clean = Clean();
    Install();
    EXPECT_EQ(0u, RunVxclean({L"-clear"}));
    Machine after = Snapshot();
    EXPECT_TRUE(clean.files == after.files);
    for (const auto &file : after.files)
        EXPECT_EQ(1u, clean.files.count(file.first)) << "left: " << file.first;
    for (const auto &file : clean.files)
        EXPECT_EQ(1u, after.files.count(file.first)) << "lost: " << file.first;
    ASSERT_TRUE(clean.registry == after.registry);

    EXPECT_EQ(0u, RunVxclean({L"-clear", L"-warn"}));
    EXPECT_TRUE(after.registry == winsim::ExportRegistry());
}

// Strings that are no well-formed text, which the run reads and leaves: a
// machine that has it exported, loaded fresh, exports the same again.
TEST_P(InstalledMachineTest, StringsThatAreNoWellFormedTextLeaveARunWithTheirBytes)
{
    Install();
    std::wstring reason;
    ASSERT_TRUE(winsim::ImportRegistry(UntidyStringsFile(), &reason));
    EXPECT_EQ(0u, RunVxclean({L"-clear"}));
    std::wstring after = winsim::ExportRegistry();
    EXPECT_EQ(std::vector<std::wstring>(), MissingUntidyLines(after));

    Start();
    ASSERT_TRUE(winsim::ImportRegistry(after, &reason));
    EXPECT_TRUE(after == winsim::ExportRegistry());
}

INSTANTIATE_TEST_SUITE_P(Kinds, InstalledMachineTest,
                         testing::Values(winsim::MachineKind::Windows64, winsim::MachineKind::Windows32));
