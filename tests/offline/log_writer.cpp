#include "log_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "little_endian.h"
#include "marvin32.h"

namespace {

const size_t BASE = 4096, SECTOR = 512, ENTRY_HEADER = 40;

void PutChecksum(winsim::HiveBytes &file)
{
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4)
        sum ^= winsim::ReadLe32(&file[at]);
    winsim::WriteLe32(&file[508], sum);
}

// The log's copy of the base block: the first sector, of the file type.
winsim::HiveBytes LogHeader(const winsim::HiveBytes &from, uint32_t fileType)
{
    winsim::HiveBytes log(from.begin(), from.begin() + SECTOR);
    winsim::WriteLe32(&log[28], fileType);
    PutChecksum(log);
    return log;
}

uint32_t BinsSize(const winsim::HiveBytes &file)
{
    return winsim::ReadLe32(&file[40]);
}

// The pages of this size in which the image's bins differ from the primary's.
std::vector<size_t> ChangedPages(const winsim::HiveBytes &primary, const winsim::HiveBytes &image, size_t size)
{
    std::vector<size_t> pages;
    for (size_t at = 0; at < BinsSize(image); at += size) {
        auto page = image.begin() + BASE + at;
        if (BASE + at + size > primary.size() || !std::equal(page, page + size, primary.begin() + BASE + at))
            pages.push_back(at);
    }
    return pages;
}

}  // namespace

void SetSequences(winsim::HiveBytes &file, uint32_t primary, uint32_t secondary)
{
    winsim::WriteLe32(&file[4], primary);
    winsim::WriteLe32(&file[8], secondary);
    PutChecksum(file);
}

void HashLogEntry(winsim::HiveBytes &log, size_t at)
{
    const uint64_t seed = 0x82EF4D887A4E55C5;
    uint32_t size = winsim::ReadLe32(&log[at + 4]);
    uint64_t content = winsim::Marvin32(&log[at + ENTRY_HEADER], size - ENTRY_HEADER, seed);
    winsim::WriteLe32(&log[at + 24], static_cast<uint32_t>(content));
    winsim::WriteLe32(&log[at + 28], static_cast<uint32_t>(content >> 32));
    uint64_t header = winsim::Marvin32(&log[at], 32, seed);
    winsim::WriteLe32(&log[at + 32], static_cast<uint32_t>(header));
    winsim::WriteLe32(&log[at + 36], static_cast<uint32_t>(header >> 32));
}

winsim::HiveBytes NewFormatLog(const winsim::HiveBytes &primary, const winsim::HiveBytes &image)
{
    const size_t page = 4096;
    winsim::HiveBytes log = LogHeader(primary, winsim::NEW_FORMAT_LOG);
    uint32_t sequence = winsim::ReadLe32(&primary[8]);
    SetSequences(log, sequence, sequence);
    std::vector<size_t> pages = ChangedPages(primary, image, page);
    size_t size = (ENTRY_HEADER + 8 * pages.size() + page * pages.size() + SECTOR - 1) / SECTOR * SECTOR;
    log.resize(SECTOR + size);
    unsigned char *entry = &log[SECTOR];
    std::copy_n("HvLE", 4, entry);
    winsim::WriteLe32(entry + 4, static_cast<uint32_t>(size));
    winsim::WriteLe32(entry + 12, sequence);
    winsim::WriteLe32(entry + 16, BinsSize(image));
    winsim::WriteLe32(entry + 20, static_cast<uint32_t>(pages.size()));
    for (size_t i = 0; i < pages.size(); ++i) {
        winsim::WriteLe32(entry + ENTRY_HEADER + 8 * i, static_cast<uint32_t>(pages[i]));
        winsim::WriteLe32(entry + ENTRY_HEADER + 8 * i + 4, static_cast<uint32_t>(page));
        std::copy_n(image.begin() + BASE + pages[i], page, entry + ENTRY_HEADER + 8 * pages.size() + page * i);
    }
    HashLogEntry(log, SECTOR);
    return log;
}

winsim::HiveBytes OldFormatLog(const winsim::HiveBytes &primary, const winsim::HiveBytes &image)
{
    winsim::HiveBytes log = LogHeader(image, winsim::OLD_FORMAT_LOG);
    std::copy(primary.begin() + 12, primary.begin() + 20, log.begin() + 12);
    PutChecksum(log);
    const char dirt[] = "DIRT";
    log.insert(log.end(), dirt, dirt + 4);
    log.resize((log.size() + BinsSize(image) / SECTOR / 8 + SECTOR - 1) / SECTOR * SECTOR);
    for (size_t at : ChangedPages(primary, image, SECTOR)) {
        log[SECTOR + 4 + at / SECTOR / 8] |= static_cast<unsigned char>(1 << at / SECTOR % 8);
        log.insert(log.end(), image.begin() + BASE + at, image.begin() + BASE + at + SECTOR);
    }
    return log;
}

void LeaveAsCrashed(const std::string &hive, const winsim::HiveBytes &before, bool newFormat)
{
    winsim::HiveBytes changed = ReadBytes(hive);
    winsim::HiveBytes primary = before;
    uint32_t lastWrite = winsim::ReadLe32(&primary[8]);
    SetSequences(primary, lastWrite + 1, lastWrite);
    WriteBytes(hive + ".LOG1", newFormat ? NewFormatLog(primary, changed) : OldFormatLog(primary, changed));
    WriteBytes(hive + ".LOG2", {});
    WriteBytes(hive, primary);
}

winsim::HiveBytes ReadBytes(const std::string &file)
{
    std::error_code error;
    winsim::HiveBytes bytes(std::filesystem::file_size(file, error));
    FILE *in = std::fopen(file.c_str(), "rb");
    EXPECT_TRUE(!error && in && std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size()) << file;
    if (in)
        std::fclose(in);
    return bytes;
}

void WriteBytes(const std::string &file, const winsim::HiveBytes &bytes)
{
    FILE *out = std::fopen(file.c_str(), "wb");
    EXPECT_TRUE(out && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size())) << file;
    if (out)
        std::fclose(out);
}
