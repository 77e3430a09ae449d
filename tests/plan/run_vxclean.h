// The install command run in this process, as the program's entry calls it.
#pragma once

#include <initializer_list>
#include <string>

#include "win32api.h"

struct Outcome {
    DWORD status;
    std::wstring out;
    std::wstring err;
};

// The install command with these options, as the entry would call it.
Outcome RunVxclean(std::initializer_list<const wchar_t *> options);
