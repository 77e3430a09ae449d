// Narrow printf formats carried over to wide ones, keeping what each
// conversion means whatever the C runtime.
#pragma once

#include <string>

std::wstring WidenFormat(const char *format);
