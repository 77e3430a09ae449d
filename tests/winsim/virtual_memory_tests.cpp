// Committed memory as Windows gives it: zero-filled, released whole, with
// Windows' errors for what it refuses.
#include <gtest/gtest.h>
#include <winsim/windows.h>

TEST(WinsimVirtualMemoryTest, BlocksComeZeroFilledAndGoOnlyOnce)
{
    BYTE *block = static_cast<BYTE *>(VirtualAlloc(nullptr, 100, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, block);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(0, block[i]);
    EXPECT_FALSE(VirtualFree(block, 100, MEM_RELEASE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_FALSE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_ADDRESS), GetLastError());

    EXPECT_EQ(nullptr, VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}
