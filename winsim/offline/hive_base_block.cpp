#include "hive_base_block.h"

#include <cstring>

#include "little_endian.h"

namespace winsim {
namespace {

const unsigned char SIGNATURE[] = {'r', 'e', 'g', 'f'};
const size_t PRIMARY_SEQUENCE_AT = 4;
const size_t SECONDARY_SEQUENCE_AT = 8;
const size_t LAST_WRITTEN_AT = 12;
const size_t MAJOR_VERSION_AT = 20;
const size_t MINOR_VERSION_AT = 24;
const size_t FILE_TYPE_AT = 28;
const size_t ROOT_CELL_AT = 36;
const size_t BINS_SIZE_AT = 40;
const size_t CHECKSUM_AT = 508;

uint32_t Checksum(const unsigned char *block)
{
    uint32_t sum = 0;
    for (size_t at = 0; at < CHECKSUM_AT; at += 4)
        sum ^= ReadLe32(block + at);
    return sum;
}

}  // namespace

bool HasHiveSignature(const HiveBytes &file)
{
    return file.size() >= sizeof SIGNATURE && std::memcmp(file.data(), SIGNATURE, sizeof SIGNATURE) == 0;
}

bool ReadBaseBlock(const HiveBytes &file, BaseBlock *block)
{
    if (file.size() < LOG_SECTOR_SIZE || !HasHiveSignature(file))
        return false;
    const unsigned char *bytes = file.data();
    block->primarySequence = ReadLe32(bytes + PRIMARY_SEQUENCE_AT);
    block->secondarySequence = ReadLe32(bytes + SECONDARY_SEQUENCE_AT);
    block->lastWritten = ReadLe64(bytes + LAST_WRITTEN_AT);
    block->majorVersion = ReadLe32(bytes + MAJOR_VERSION_AT);
    block->minorVersion = ReadLe32(bytes + MINOR_VERSION_AT);
    block->fileType = ReadLe32(bytes + FILE_TYPE_AT);
    block->rootCell = ReadLe32(bytes + ROOT_CELL_AT);
    block->binsSize = ReadLe32(bytes + BINS_SIZE_AT);
    block->checksumRight = Checksum(bytes) == ReadLe32(bytes + CHECKSUM_AT);
    return true;
}

bool IsDirty(const BaseBlock &block)
{
    return block.primarySequence != block.secondarySequence || !block.checksumRight;
}

void SealBaseBlock(HiveBytes &image, uint32_t sequence, uint32_t binsSize)
{
    unsigned char *bytes = image.data();
    WriteLe32(bytes + PRIMARY_SEQUENCE_AT, sequence);
    WriteLe32(bytes + SECONDARY_SEQUENCE_AT, sequence);
    WriteLe32(bytes + FILE_TYPE_AT, PRIMARY_FILE);
    WriteLe32(bytes + BINS_SIZE_AT, binsSize);
    WriteLe32(bytes + CHECKSUM_AT, Checksum(bytes));
}

}  // namespace winsim
