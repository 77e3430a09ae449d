// GNU getopt_long_only over wide strings, with the EN DASH as a second
// option prefix beside the hyphen.
#pragma once

#include <cwchar>

const int NO_ARGUMENT = 0;
const int REQUIRED_ARGUMENT = 1;
const int OPTIONAL_ARGUMENT = 2;

struct option {
    const wchar_t *name;
    int has_arg;
    int *flag;  // when set, receives val and the parser returns 0
    int val;
};

// The install command's options, ended by a row without a name.
extern const option long_options[];

// Index of the next argument; after the last option, of the first non-option.
// Set it to 0 to start a new parse.
extern int woptind;
// Argument of the option just returned, or null.
extern const wchar_t *woptarg;

// Returns the option's val, 0 when its flag took the value, '?' for an option
// in error (already reported on the error stream), -1 when none is left.
// Moves the non-option arguments behind the options within argv.
int wgetopt_long_only(int argc, const wchar_t **argv);
// The same over another table, ended by a row without a name.
int wgetopt_long_only_with(int argc, const wchar_t **argv, const option *longopts);
