#include "repair_fixture.h"

#include "output_capture.h"

const wchar_t LSA_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const wchar_t REVOCATION_KEY[] =
    L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CertDllVerifyRevocation\\DEFAULT";

namespace {

SavedValue Save(const std::wstring &path, const std::wstring &name)
{
    SavedValue saved = {path, name, false, false, REG_NONE, {}};
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return saved;
    saved.keyExisted = true;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.valueExisted =
            RegQueryValueExW(key, name.c_str(), nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
        saved.data.resize(size);
    }
    RegCloseKey(key);
    return saved;
}

void SetExactly(const std::wstring &path, const std::wstring &name, DWORD type, const std::vector<BYTE> &data)
{
    std::vector<BYTE> padded(data);
    padded.resize(data.size() + sizeof(wchar_t), 0xFF);
    HKEY key;
    LONG status =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, name.c_str(), 0, type, padded.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot set the value: " << status;
}

void Restore(const SavedValue &saved)
{
    if (!saved.keyExisted) {
        RemoveTestTree(HKEY_LOCAL_MACHINE, saved.path);
        return;
    }
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, saved.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot restore a key the test changed";
        return;
    }
    if (saved.valueExisted)
        RegSetValueExW(key, saved.name.c_str(), 0, saved.type, saved.data.data(),
                       static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueW(key, saved.name.c_str());
    RegCloseKey(key);
}

}  // namespace

std::vector<BYTE> MultiSz(const std::vector<std::wstring> &elements)
{
    std::vector<BYTE> data;
    for (const std::wstring &element : elements) {
        std::vector<BYTE> bytes = SzBytes(element);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    data.resize(data.size() + sizeof(wchar_t), 0);
    return data;
}

void RepairTest::SetUp()
{
    RegistryTest::SetUp();
    packages_ = Save(LSA_KEY, L"Security Packages");
    provider_ = Save(REVOCATION_KEY, L"Dll");
}

void RepairTest::TearDown()
{
    Restore(packages_);
    Restore(provider_);
    RegistryTest::TearDown();
}

Printed RepairTest::Run(DWORD (*operation)(DWORD, DWORD), DWORD mode, DWORD warn)
{
    return Capture([&] { return operation(mode, warn); });
}

void RepairTest::SetPackages(const std::vector<BYTE> &data, DWORD type)
{
    SetExactly(LSA_KEY, L"Security Packages", type, data);
}

void RepairTest::SetProvider(const std::vector<BYTE> &data, DWORD type)
{
    SetExactly(REVOCATION_KEY, L"Dll", type, data);
}
