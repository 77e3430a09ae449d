// A copy of everything the program prints, standard output and error
// reports in the order they appear, for the record of a run.
#pragma once

#include "report/text_file.h"

// From now on every printed text is also appended to the file; null stops it.
void SetConsoleLog(TextFile *file);
void LogConsoleText(const wchar_t *text);
