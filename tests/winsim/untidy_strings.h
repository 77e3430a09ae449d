// String values whose bytes are no well-formed text, as real machines hold
// them: lone surrogates, an odd byte count, data after the terminator.
#pragma once

#include <string>
#include <vector>

// Their key under HKEY_LOCAL_MACHINE: a snap-in's, whose strings a run
// searches without changing them.
extern const wchar_t UNTIDY_KEY[];

// A registry file that puts them in place.
std::wstring UntidyStringsFile();
// Their lines, as the file has them, that the exported registry lacks.
std::vector<std::wstring> MissingUntidyLines(const std::wstring &exported);
