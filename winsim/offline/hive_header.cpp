#include "hive_header.h"

#include <cstdint>
#include <cstdio>

#include "hive_files.h"

namespace winsim {
namespace {

// The header's first bytes: "regf", then the two sequence numbers. hivex
// keeps these to itself, so they are read here, the only bytes of a hive
// read without hivex.
const size_t HEADER_START = 12;

uint32_t LittleEndian(const unsigned char *bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

bool HiveUsable(const std::string &hive, std::wstring *reason)
{
    unsigned char header[HEADER_START];
    FILE *file = std::fopen(hive.c_str(), "rb");
    if (!file)
        return true;
    bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fclose(file);
    if (!read || LittleEndian(header + 4) == LittleEndian(header + 8))
        return true;
    std::vector<std::string> logs = LogFilesBeside(hive);
    if (logs.empty())
        return true;
    *reason = L"the hive " + WideText(hive) +
              L" was not completely written when Windows last stopped (its header sequence numbers differ) and its "
              L"latest changes are still in " +
              WideText(logs[0]) + (logs.size() > 1 ? L" and " + WideText(logs[1]) : L"") +
              L". Start that Windows once so that it replays its logs, or wait for a version of this tool that "
              L"replays them; the hive is not used until then.";
    return false;
}

}  // namespace winsim
