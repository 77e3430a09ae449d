// Wide printf on the standard streams. Every line the program writes goes
// through here, so each stream is written in one way on every runtime.
#pragma once

#include <cstdarg>
#include <cstdio>

// Formats take wide strings with %ls and wide characters with %lc.
int PrintOut(const wchar_t *format, ...);
int PrintErr(const wchar_t *format, ...);
int PrintTextV(FILE *stream, const wchar_t *format, va_list args);
