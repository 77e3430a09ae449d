// Error reports: a coloured block on the standard error stream with the
// source location, the caller's message, the error number and the system's
// text for it. The result is never 0, so a caller can OR it into its own.
#pragma once

#include <cstdarg>

#include "win32api.h"

// Source names that reports carry: the driver and the engines, and the usage printer.
const char SOURCE_INSTALL[] = "install";
const char SOURCE_VXCLEAN[] = "vxclean";

// Parts of a report, OR-ed into the flags; every caller passes all of them.
const DWORD REPORT_LOCATION = 8;
const DWORD REPORT_NUMBER = 2;
const DWORD REPORT_TEXT = 4;
const DWORD REPORT_ALL = 15;

// The result of a report of code 0: bit 29 marks it as the application's own.
const DWORD REPORT_CODE_NONE = 544700279;

// Formats are narrow printf formats in which %S takes a wide string and %s a
// narrow one.
DWORD ReportLastError(const char *sourceFile, int line, DWORD flags, const char *format, ...);
DWORD ReportError(const char *sourceFile, int line, DWORD code, DWORD flags, const char *format, ...);
DWORD ReportErrorV(const char *sourceFile, int line, DWORD code, DWORD flags, const char *format, va_list args);
// The report of a step that failed, with the last error, after the step
// itself may have reported why: it counts as a failure of its own only when
// the step reported none since failuresBefore (TallyOf(TALLY_FAILURES) before
// the step), so that each failure is counted once.
DWORD ReportStepFailure(DWORD failuresBefore, const char *sourceFile, int line, const char *format, ...);
// The same report for residue found with warn ("Redundant data found..."),
// counted apart from failures.
DWORD ReportResidue(const char *sourceFile, int line, const char *format, ...);
DWORD PrintWideLine(const wchar_t *text);
