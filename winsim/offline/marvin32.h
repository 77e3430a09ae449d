// Marvin32, the keyed 64-bit hash that guards each entry of a hive's
// transaction log.
#pragma once

#include <cstddef>
#include <cstdint>

namespace winsim {

uint64_t Marvin32(const unsigned char *data, size_t size, uint64_t seed);

}  // namespace winsim
