// Numbers as a hive file and its logs store them: little-endian.
#pragma once

#include <cstdint>

namespace winsim {

inline uint32_t ReadLe32(const unsigned char *bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline uint64_t ReadLe64(const unsigned char *bytes)
{
    return ReadLe32(bytes) | static_cast<uint64_t>(ReadLe32(bytes + 4)) << 32;
}

inline void WriteLe32(unsigned char *bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> 8 * i);
}

}  // namespace winsim
