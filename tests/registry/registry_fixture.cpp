#include "registry_fixture.h"

#include "driver/process_state.h"
#include "output_capture.h"
#include "registry/registry.h"
#include "test_machine.h"

void RegistryTest::SetUp()
{
    StartFreshMachine();
    EnableTakeOwnership();
    EmptyTestKeys();
    RegViewFlag = 0;
    RebootNeeded = 0;
}

void RegistryTest::TearDown()
{
    RegViewFlag = 0;
    EmptyTestKeys();
}

Printed RegistryTest::Delete(HKEY root, const std::wstring &path, DWORD mode, DWORD warn)
{
    return Capture([&] { return DeleteKey(root, path.c_str(), mode, warn); });
}

Printed RegistryTest::TakeOver(HKEY parent, const std::wstring &path)
{
    return Capture([&] { return ChangeRight(parent, path.c_str()); });
}

bool HasReport(const std::wstring &err, const std::wstring &message, DWORD code)
{
    std::wstring number = L"Error number 0x";
    wchar_t digits[40];
    swprintf(digits, 40, L"%lx (%ld).\n", static_cast<unsigned long>(code), static_cast<long>(static_cast<LONG>(code)));
    return err.find(L":" + message + L"\n" + number + digits) != std::wstring::npos;
}
