// Doubles of the plans and of DeleteKey for the driver's tests: they record
// each call with the registry view and redirection it ran in, and return
// what the test asks of them.
#pragma once

#include <string>
#include <vector>

#include "win32api.h"

struct EngineCall {
    std::wstring engine;  // L"registry", L"files" or L"DeleteKey <path>"
    DWORD mode;
    DWORD warn;
    DWORD view;         // RegViewFlag during the call
    bool unredirected;  // file-system redirection off during the call
};

struct EngineScript {
    DWORD registryResult = 0;
    DWORD filesResult = 0;
    DWORD deleteKeyResult = 0;
    bool registryNeedsRestart = false;  // the registry plan sets RebootNeeded
    std::vector<EngineCall> calls;
};

// Each call as one line, "registry mode 1 warn 0 view 256 unredirected",
// so that a mismatch shows the whole sequence.
std::vector<std::wstring> CallLog();

// Cleared, with RegViewFlag and RebootNeeded, for each test.
EngineScript &Engines();
void ResetEngines();
