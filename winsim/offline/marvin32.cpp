#include "marvin32.h"

#include "little_endian.h"

namespace winsim {
namespace {

uint32_t RotateLeft(uint32_t value, int bits)
{
    return value << bits | value >> (32 - bits);
}

void Mix(uint32_t &low, uint32_t &high)
{
    high ^= low;
    low = RotateLeft(low, 20);
    low += high;
    high = RotateLeft(high, 9);
    high ^= low;
    low = RotateLeft(low, 27);
    low += high;
    high = RotateLeft(high, 19);
}

}  // namespace

uint64_t Marvin32(const unsigned char *data, size_t size, uint64_t seed)
{
    uint32_t low = static_cast<uint32_t>(seed);
    uint32_t high = static_cast<uint32_t>(seed >> 32);
    size_t whole = size & ~static_cast<size_t>(3);
    for (size_t at = 0; at < whole; at += 4) {
        low += ReadLe32(data + at);
        Mix(low, high);
    }
    // The last one to three bytes, then a 0x80 byte, fill the final word.
    uint32_t last = 0x80u << 8 * (size - whole);
    for (size_t at = whole; at < size; ++at)
        last |= static_cast<uint32_t>(data[at]) << 8 * (at - whole);
    low += last;
    Mix(low, high);
    Mix(low, high);
    return static_cast<uint64_t>(high) << 32 | low;
}

}  // namespace winsim
