#include "engine_doubles.h"

#include "driver/process_state.h"
#include "plan/plan.h"
#include "registry/registry.h"
#include "test_machine.h"

namespace {

void Record(const std::wstring &engine, DWORD mode, DWORD warn)
{
    Engines().calls.push_back(EngineCall{engine, mode, warn, RegViewFlag, FsRedirectionOff()});
}

}  // namespace

std::vector<std::wstring> CallLog()
{
    std::vector<std::wstring> log;
    for (const EngineCall &call : Engines().calls)
        log.push_back(call.engine + L" mode " + std::to_wstring(call.mode) + L" warn " + std::to_wstring(call.warn) +
                      L" view " + std::to_wstring(call.view) + (call.unredirected ? L" unredirected" : L""));
    return log;
}

EngineScript &Engines()
{
    static EngineScript script;
    return script;
}

void ResetEngines()
{
    Engines() = EngineScript();
    RegViewFlag = 0;
    RebootNeeded = 0;
}

DWORD CleanRegistry(DWORD dwMode, DWORD fWarn)
{
    Record(L"registry", dwMode, fWarn);
    if (Engines().registryNeedsRestart)
        RebootNeeded = 1;
    return Engines().registryResult;
}

DWORD CleanFiles(DWORD dwMode, DWORD fWarn)
{
    Record(L"files", dwMode, fWarn);
    return Engines().filesResult;
}

DWORD DeleteKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD dwMode, DWORD fWarn)
{
    std::wstring root = hRoot == HKEY_LOCAL_MACHINE ? L"HKLM\\" : L"?\\";
    Record(L"DeleteKey " + root + lpSubKey, dwMode, fWarn);
    return Engines().deleteKeyResult;
}
