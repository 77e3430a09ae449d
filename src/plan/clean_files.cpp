#include "plan/plan.h"

// Placeholder until the file cleanup plan arrives: cleans nothing.
DWORD CleanFiles(DWORD, DWORD)
{
    return 0;
}
