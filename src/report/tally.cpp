#include "report/tally.h"

namespace {

DWORD counts[TALLY_ITEMS];

}  // namespace

void Tally(TallyItem item)
{
    ++counts[item];
}

void TallyAdd(TallyItem item, DWORD count)
{
    counts[item] += count;
}

DWORD TallyOf(TallyItem item)
{
    return counts[item];
}

void ResetTally()
{
    for (DWORD &count : counts)
        count = 0;
}
