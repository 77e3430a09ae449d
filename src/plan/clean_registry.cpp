#include "plan/plan.h"

// Placeholder until the registry cleanup plan arrives: cleans nothing.
DWORD CleanRegistry(DWORD, DWORD)
{
    return 0;
}
