#include "driver/wgetopt.h"

// No two names share a first letter, so any prefix selects one option.
const option long_options[] = {
    {L"show", NO_ARGUMENT, nullptr, 0},    {L"clear", NO_ARGUMENT, nullptr, 1},
    {L"delkeys", NO_ARGUMENT, nullptr, 2}, {L"warn", NO_ARGUMENT, nullptr, 3},
    {L"reboot", NO_ARGUMENT, nullptr, 4},  {L"from_window", NO_ARGUMENT, nullptr, 5},
    {L"help", NO_ARGUMENT, nullptr, 6},    {nullptr, 0, nullptr, 0},
};
