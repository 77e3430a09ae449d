// A fault campaign over the full remove run of an installed 64-bit machine:
// registry and file calls that the run makes fail one at a time, spread
// evenly over the run. Whatever fails, no bystander byte is lost, a failure
// that leaves something of the products behind (what waits for a restart
// aside) is reported and makes the exit status nonzero, and a second run
// without the fault leaves exactly the machine without the products. A
// failure of the record's own calls leaves the run's work whole. Only the
// simulated machine fails calls on cue. The faults are dealt into parts that
// run as tests of their own, so that test runs in parallel share them.
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "driver/process_state.h"
#include "whole_run.h"

namespace {

const LONG ERROR_NO_SYSTEM_RESOURCES_CODE = 1450;
const unsigned FAULTS = 300;
const unsigned PARTS = 4;

struct Fault {
    const char *function;
    LONG code;
};

// Plausible failures of each call the run makes.
const Fault kinds[] = {
    {"RegOpenKeyExW", ERROR_ACCESS_DENIED},
    {"RegOpenKeyExW", ERROR_NO_SYSTEM_RESOURCES_CODE},
    {"RegEnumKeyExW", ERROR_NO_SYSTEM_RESOURCES_CODE},
    {"RegEnumValueW", ERROR_NO_SYSTEM_RESOURCES_CODE},
    {"RegQueryValueExW", ERROR_NO_SYSTEM_RESOURCES_CODE},
    {"RegSetValueExW", ERROR_ACCESS_DENIED},
    {"RegDeleteValueW", ERROR_ACCESS_DENIED},
    {"RegDeleteKeyExW", ERROR_ACCESS_DENIED},
    {"RegDeleteKeyExW", ERROR_NO_SYSTEM_RESOURCES_CODE},
    {"RegSetKeySecurity", ERROR_ACCESS_DENIED},
    {"WriteFile", ERROR_DISK_FULL},
    {"NtQueryKey", ERROR_NO_SYSTEM_RESOURCES_CODE},
    {"RegGetKeySecurity", ERROR_NO_SYSTEM_RESOURCES_CODE},
};

// Calls that only the record of the run makes.
bool IsRecordCall(const std::string &function)
{
    return function == "WriteFile" || function == "NtQueryKey" || function == "RegGetKeySecurity";
}

// The values the products change in place rather than add.
const std::wstring SHARED_VALUES[] = {L"\"Security Packages\"=", L"\"Dll\"="};

bool IsSharedValue(const std::wstring &line)
{
    for (const std::wstring &name : SHARED_VALUES)
        if (line.compare(0, name.size(), name) == 0)
            return true;
    return false;
}

}  // namespace

class SimulatedFaultCampaign : public testing::TestWithParam<unsigned> {};

TEST_P(SimulatedFaultCampaign, NoFailureLosesABystanderOrHidesResidueAndASecondRunCleans)
{
    InstallMachine(winsim::MachineKind::Windows64, false);
    const std::wstring clean = winsim::ExportRegistry();
    const auto cleanKeys = ExportedKeys(clean);
    const auto cleanFiles = DriveC();

    // How many calls of each kind a whole remove run makes.
    InstallMachine(winsim::MachineKind::Windows64);
    std::map<std::string, unsigned> before, calls;
    for (const Fault &kind : kinds)
        before[kind.function] = winsim::CallCount(kind.function);
    RunVxclean({L"-clear"});
    unsigned total = 0;
    for (const Fault &kind : kinds) {
        calls[kind.function] = winsim::CallCount(kind.function) - before[kind.function];
        total += calls[kind.function];
    }
    ASSERT_GT(total, FAULTS);

    unsigned tried = 0, hidden = 0, lost = 0, unclean = 0;
    for (unsigned i = GetParam(); i < FAULTS; i += PARTS) {
        const Fault &kind = kinds[i % (sizeof kinds / sizeof kinds[0])];
        unsigned nth = 1 + (i * 7919u) % calls[kind.function];
        InstallMachine(winsim::MachineKind::Windows64);
        winsim::FailCall(kind.function, winsim::CallCount(kind.function) + nth, kind.code);
        Outcome run = RunVxclean({L"-clear"});
        ++tried;
        std::wstring faulted = winsim::ExportRegistry();
        auto faultedKeys = ExportedKeys(faulted);
        auto faultedFiles = DriveC();
        bool bystandersKept = true;
        for (const auto &key : cleanKeys) {
            auto found = faultedKeys.find(key.first);
            bystandersKept = bystandersKept && found != faultedKeys.end();
            for (const std::wstring &value : key.second)
                bystandersKept = bystandersKept && found != faultedKeys.end() &&
                                 (found->second.count(value) || IsSharedValue(value));
        }
        for (const auto &file : cleanFiles)
            bystandersKept =
                bystandersKept && faultedFiles.count(file.first) && faultedFiles[file.first] == file.second;
        bool residue = faulted != clean || faultedFiles != cleanFiles;
        bool announced = run.status != 0 || run.out.find(L"Access denied (skipping)") != std::wstring::npos;
        lost += !bystandersKept;
        hidden += residue && !announced;
        EXPECT_TRUE(bystandersKept) << kind.function << " call " << nth << " failing with " << kind.code;
        EXPECT_FALSE(residue && !announced) << kind.function << " call " << nth << " failing with " << kind.code;
        if (IsRecordCall(kind.function)) {
            EXPECT_TRUE(run.status == 0 && !residue)
                << kind.function << " call " << nth << " failing with " << kind.code;
        }
        // Every write of the record that fails is owned up to.
        if (kind.function == std::string("WriteFile")) {
            EXPECT_TRUE(run.out.find(L"INCOMPLETE") != std::wstring::npos ||
                        run.out.find(L"incomplete") != std::wstring::npos ||
                        run.out.find(L"No undo file: ") != std::wstring::npos)
                << "WriteFile call " << nth;
        }

        DWORD again = RunVxclean({L"-clear"}).status;
        winsim::CarryOutPendingFileRenames();
        bool cleanAgain = again == 0 && winsim::ExportRegistry() == clean && DriveC() == cleanFiles;
        unclean += !cleanAgain;
        EXPECT_TRUE(cleanAgain) << kind.function << " call " << nth << " failing with " << kind.code;
    }
    std::printf(
        "fault campaign, part %u: %u faults tried, 0 crashes, %u bystander losses, %u hidden residues, %u unclean "
        "second runs\n",
        GetParam(), tried, lost, hidden, unclean);
}

INSTANTIATE_TEST_SUITE_P(Parts, SimulatedFaultCampaign, testing::Range(0u, PARTS));
