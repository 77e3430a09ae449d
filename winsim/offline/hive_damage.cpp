// The file is read again here, only once hivex has refused it, and checked
// in the order hivex checks it: the base block, then each hive bin and its
// cells, then the root key the base block points to.
#include "hive_damage.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "hive_base_block.h"
#include "hive_files.h"
#include "hive_names.h"
#include "little_endian.h"

namespace winsim {
namespace {

const unsigned char BIN_SIGNATURE[] = {'h', 'b', 'i', 'n'};
const size_t BIN_OFFSET_AT = 4;
const size_t BIN_SIZE_AT = 8;
const size_t BIN_HEADER_SIZE = 32;
const unsigned char KEY_SIGNATURE[] = {'n', 'k'};
// A cell's size counts its own 4 bytes and, as hivex reads it, is a multiple of 4.
const uint64_t CELL_SIZE_FIELD = 4;
const uint32_t READABLE_MAJOR_VERSION = 1;

// The errors hivex sets for what it finds in a hive, not for reading the file.
bool FoundInHive(int error)
{
    return error == EINVAL || error == ENOTSUP || error == EFAULT || error == ERANGE || error == EILSEQ;
}

std::wstring Bytes(uint64_t count)
{
    return std::to_wstring(count) + (count == 1 ? L" byte" : L" bytes");
}

std::wstring AtByte(size_t at)
{
    return L"at byte " + std::to_wstring(at);
}

// Where the root key's cell is among the cells, once the bins are walked.
struct RootKey {
    size_t at;
    bool found;
    bool isKey;
};

std::wstring CellsFault(const HiveBytes &file, size_t bin, size_t binSize, RootKey &root)
{
    for (size_t cell = bin + BIN_HEADER_SIZE; cell < bin + binSize;) {
        int64_t stored = static_cast<int32_t>(ReadLe32(&file[cell]));
        uint64_t size = static_cast<uint64_t>(stored < 0 ? -stored : stored);
        if (size <= CELL_SIZE_FIELD || size % CELL_SIZE_FIELD != 0)
            return L"it is damaged: the cell " + AtByte(cell) + L" gives a size of " + Bytes(size) +
                   L", which no cell has";
        if (cell == root.at) {
            root.found = true;
            root.isKey = stored < 0 && file.size() - cell >= CELL_SIZE_FIELD + sizeof KEY_SIGNATURE &&
                         std::memcmp(&file[cell + CELL_SIZE_FIELD], KEY_SIGNATURE, sizeof KEY_SIGNATURE) == 0;
        }
        cell += size;
    }
    return std::wstring();
}

std::wstring BinsFault(const HiveBytes &file, const BaseBlock &base)
{
    const size_t end = BASE_BLOCK_SIZE + base.binsSize;
    RootKey root = {BASE_BLOCK_SIZE + static_cast<size_t>(base.rootCell), false, false};
    for (size_t bin = BASE_BLOCK_SIZE; bin < end;) {
        if (end - bin < BIN_HEADER_SIZE || std::memcmp(&file[bin], BIN_SIGNATURE, sizeof BIN_SIGNATURE) != 0)
            return L"it is damaged: " + AtByte(bin) + L", where a hive bin should start, there is none";
        uint32_t size = ReadLe32(&file[bin + BIN_SIZE_AT]);
        uint32_t offset = ReadLe32(&file[bin + BIN_OFFSET_AT]);
        if (size <= BIN_HEADER_SIZE || size % BIN_BLOCK_SIZE != 0)
            return L"it is damaged: the hive bin " + AtByte(bin) + L" gives a size of " + Bytes(size) +
                   L", not a whole number of 4096-byte blocks";
        if (size > file.size() - bin)
            return L"it is cut short: the hive bin " + AtByte(bin) + L" is " + Bytes(size) +
                   L" long but the file ends " + Bytes(file.size() - bin) + L" after its start";
        if (offset != bin - BASE_BLOCK_SIZE)
            return L"it is damaged: the hive bin " + AtByte(bin) + L" says it belongs " +
                   AtByte(BASE_BLOCK_SIZE + static_cast<size_t>(offset));
        std::wstring fault = CellsFault(file, bin, size, root);
        if (!fault.empty())
            return fault;
        bin += size;
    }
    if (!root.found)
        return L"it is damaged: its header puts the root key " + AtByte(root.at) + L", where no cell starts";
    if (!root.isKey)
        return L"it is damaged: its root key, " + AtByte(root.at) + L", is not a key";
    return std::wstring();
}

std::wstring ContentFault(const HiveBytes &file)
{
    if (file.empty())
        return L"it is empty";
    if (!HasHiveSignature(file))
        return L"it is not a registry hive (it does not start with regf)";
    if (file.size() < BASE_BLOCK_SIZE)
        return L"it is cut short: it ends " + AtByte(file.size()) + L", within its first block of " +
               Bytes(BASE_BLOCK_SIZE);
    BaseBlock base;
    ReadBaseBlock(file, &base);
    if (base.majorVersion != READABLE_MAJOR_VERSION)
        return L"it is a registry hive of format " + std::to_wstring(base.majorVersion) + L"." +
               std::to_wstring(base.minorVersion) + L", which hivex does not read";
    if (!base.checksumRight)
        return L"its first block is damaged: its checksum is wrong";
    if (base.binsSize > file.size() - BASE_BLOCK_SIZE)
        return L"it is cut short: its header says " + Bytes(base.binsSize) + L" of hive bins but the file holds " +
               Bytes(file.size() - BASE_BLOCK_SIZE);
    std::wstring fault = BinsFault(file, base);
    return fault.empty() ? L"it is damaged: hivex cannot read it, though its header, hive bins and root key look whole"
                         : fault;
}

}  // namespace

std::wstring WhyHiveRefused(const std::string &file, int error)
{
    struct stat status;
    bool found = stat(file.c_str(), &status) == 0;
    if (found && S_ISDIR(status.st_mode))
        return L"it is a folder, not a file";
    if (found && !S_ISREG(status.st_mode))
        return L"it is not a regular file";
    if (!FoundInHive(error))
        return ErrorText(error);
    HiveBytes bytes;
    if (!ReadHostFile(file, SIZE_MAX, &bytes))
        return ErrorText(errno);
    return ContentFault(bytes);
}

std::wstring WhyKeyRefused(int error)
{
    return FoundInHive(error) ? L"the hive is damaged there: what the key points to is not a record hivex can read"
                              : ErrorText(error);
}

}  // namespace winsim
