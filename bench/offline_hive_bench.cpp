// The cost of an offline hive as it grows: a copy of a real hive gets N
// installer component keys (two values each, as Windows Installer writes
// them) and is saved through hivex; it is mounted again from the file, and
// one key in a hundred is deleted and the hive saved. The keys are made in
// groups of a hundred under "Components", since hivex copies a key's whole
// subkey list for each subkey it adds and keeps the old copy in the file:
// N keys under one parent would make a file of N * N * 4 bytes.
// Usage: offline_hive_bench <copy of a hive, changed in place> N
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <winsim/control.h>
#include <winsim/offline_hives.h>

namespace {

const wchar_t COMPONENTS[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\";
const unsigned GROUP = 100;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<BYTE> Utf16(const std::wstring &text)
{
    std::vector<BYTE> bytes;
    for (wchar_t c : text + L'\0') {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

bool Fails(const std::wstring &reason)
{
    std::fprintf(stderr, "%ls\n", reason.c_str());
    return true;
}

std::wstring ComponentPath(unsigned i)
{
    wchar_t name[64];
    std::swprintf(name, 64, L"Group%03u\\%08X0000000000000000%08X", i / GROUP, i * 2654435761u, i);
    return COMPONENTS + std::wstring(name);
}

long ResidentMegabytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool Save(winsim::MountedHive &mounted, const char *what)
{
    auto start = std::chrono::steady_clock::now();
    bool written;
    std::wstring reason;
    if (!winsim::SaveHive(mounted, &written, &reason))
        return !Fails(reason);
    std::printf("%s, saved in %.2f s\n", what, Seconds(start));
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const std::vector<std::wstring> path = {L"MACHINE", L"SOFTWARE"};
    unsigned count = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    // 32-bit Windows: no WOW64 view between the calls and the hive's keys.
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    winsim::MountedHive mounted;
    std::wstring reason;
    if (!winsim::MountHive(argv[1], path, &mounted, &reason) && Fails(reason))
        return 1;
    for (unsigned i = 0; i < count; ++i) {
        HKEY key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, ComponentPath(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return 1;
        winsim::SetStoredValue(key, L"00000000000000000000000000000001", REG_SZ,
                               Utf16(L"C:\\Program Files\\Vendor\\file" + std::to_wstring(i) + L".dll"));
        winsim::SetStoredValue(key, L"F2A1B3C4D5E6F708192A3B4C5D6E7F80", REG_SZ,
                               Utf16(L"02:\\Software\\Vendor\\Value" + std::to_wstring(i)));
        RegCloseKey(key);
    }
    if (!Save(mounted, "component keys added"))
        return 1;

    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    long before = ResidentMegabytes();
    auto start = std::chrono::steady_clock::now();
    if (!winsim::MountHive(argv[1], path, &mounted, &reason) && Fails(reason))
        return 1;
    std::printf("mounted in %.2f s, peak resident %ld MB (%ld MB before)\n", Seconds(start), ResidentMegabytes(),
                before);
    for (unsigned i = 0; i < count; i += GROUP)
        if (RegDeleteKeyW(HKEY_LOCAL_MACHINE, ComponentPath(i).c_str()) != ERROR_SUCCESS)
            return 1;
    return Save(mounted, "one component key in a hundred deleted") ? 0 : 1;
}
