// Doubles of every operation the plans call: each call is recorded as one
// line, and a test may give chosen calls a result.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "win32api.h"

struct PlanCalls {
    std::vector<std::wstring> lines;
    std::map<std::wstring, DWORD> results;  // line -> result of that call
};

PlanCalls &Calls();
// The recorded lines that start with the prefix, in order.
std::vector<std::wstring> CallsStartingWith(const std::wstring &prefix);
