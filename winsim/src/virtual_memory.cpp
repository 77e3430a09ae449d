// Committed memory as Windows gives it, zero-filled, with its errors. Windows
// hands out whole pages; a block here is exactly as large as asked, so that
// a read or write past what was asked for shows under the sanitizers.
#include <cstdlib>
#include <map>

#include "winsim/windows.h"

namespace {

// Live blocks by base address. Memory belongs to the process, so it outlives
// a reset of the simulated machine.
std::map<LPVOID, SIZE_T> &Blocks()
{
    static std::map<LPVOID, SIZE_T> blocks;
    return blocks;
}

}  // namespace

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect)
{
    // Only what a program that wants fresh read-write memory asks for.
    if (lpAddress || dwSize == 0 || !(flAllocationType & MEM_COMMIT) ||
        (flAllocationType & ~(MEM_COMMIT | MEM_RESERVE)) || flProtect != PAGE_READWRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LPVOID block = std::calloc(1, dwSize);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Blocks()[block] = dwSize;
    return block;
}

BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType)
{
    if (dwFreeType != MEM_RELEASE || dwSize != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto block = Blocks().find(lpAddress);
    if (block == Blocks().end()) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    std::free(block->first);
    Blocks().erase(block);
    return TRUE;
}
