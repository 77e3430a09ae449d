// The simulated machine's virtual memory calls of kernel32: committed,
// zero-filled read-write blocks, released whole. Included by windows.h.
#pragma once

#define ERROR_INVALID_ADDRESS 487L

#define MEM_COMMIT 0x00001000
#define MEM_RESERVE 0x00002000
#define MEM_RELEASE 0x00008000
#define PAGE_READWRITE 0x04

typedef size_t SIZE_T;

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect);
BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType);
