// The base block that starts a hive file, and the copy of its first sector
// that starts each of the hive's transaction logs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace winsim {

typedef std::vector<unsigned char> HiveBytes;

const size_t BASE_BLOCK_SIZE = 4096;
// Hive bins grow by whole blocks of this size.
const uint32_t BIN_BLOCK_SIZE = 4096;
// Cell offsets keep their top bit for volatile storage: the bins on disk
// stay below 2 GiB.
const uint32_t MAX_BINS_SIZE = 0x80000000u - BIN_BLOCK_SIZE;
// A log is written in sectors of this size: its copy of the base block is
// one, and what follows starts at a multiple of it.
const size_t LOG_SECTOR_SIZE = 512;

// The base block's file type: the hive itself, or a log of either format.
enum HiveFileType : uint32_t { PRIMARY_FILE = 0, OLD_FORMAT_LOG = 1, NEW_FORMAT_LOG = 6 };

struct BaseBlock {
    uint32_t primarySequence;
    uint32_t secondarySequence;
    uint64_t lastWritten;
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint32_t fileType;
    uint32_t rootCell;  // the root key's offset from the start of the hive bins
    uint32_t binsSize;  // bytes of hive bins after the base block
    bool checksumRight;
};

// The bytes start "regf", as every hive file and log does.
bool HasHiveSignature(const HiveBytes &file);

// False when the bytes are shorter than a log sector or do not start "regf".
bool ReadBaseBlock(const HiveBytes &file, BaseBlock *block);

// Windows did not finish writing the hive: its sequence numbers differ or
// its checksum is wrong.
bool IsDirty(const BaseBlock &block);

// Makes the image's base block that of a completely written primary file
// whose last write had this sequence number and left this many bytes of bins.
void SealBaseBlock(HiveBytes &image, uint32_t sequence, uint32_t binsSize);

}  // namespace winsim
