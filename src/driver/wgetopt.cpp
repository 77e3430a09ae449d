#include "driver/wgetopt.h"

#include "report/console_text.h"

int woptind = 1;
const wchar_t *woptarg = nullptr;

namespace {

const wchar_t EN_DASH = 0x2013;
const int OPTION_IN_ERROR = '?';

const wchar_t *nextchar = nullptr;
int first_nonopt;
int last_nonopt;
int initialized = 0;

bool IsPrefixChar(wchar_t c)
{
    return c == L'-' || c == EN_DASH;
}

bool IsOptionArgument(const wchar_t *argument)
{
    return IsPrefixChar(argument[0]) && argument[1] != L'\0';
}

// Swaps the skipped non-options [first_nonopt, last_nonopt) with the options
// processed since [last_nonopt, woptind), keeping each block's order.
void exchange(const wchar_t **argv)
{
    int bottom = first_nonopt;
    int middle = last_nonopt;
    int top = woptind;
    while (top > middle && middle > bottom) {
        if (top - middle > middle - bottom) {
            int len = middle - bottom;
            for (int i = 0; i < len; ++i) {
                const wchar_t *saved = argv[bottom + i];
                argv[bottom + i] = argv[top - len + i];
                argv[top - len + i] = saved;
            }
            top -= len;
        } else {
            int len = top - middle;
            for (int i = 0; i < len; ++i) {
                const wchar_t *saved = argv[bottom + i];
                argv[bottom + i] = argv[middle + i];
                argv[middle + i] = saved;
            }
            bottom += len;
        }
    }
    first_nonopt += woptind - last_nonopt;
    last_nonopt = woptind;
}

// Moves to the next option argument; false when none is left.
bool AdvanceToNextOption(int argc, const wchar_t **argv)
{
    if (last_nonopt > woptind)
        last_nonopt = woptind;
    if (first_nonopt > woptind)
        first_nonopt = woptind;
    if (first_nonopt != last_nonopt && last_nonopt != woptind)
        exchange(argv);
    else if (last_nonopt != woptind)
        first_nonopt = woptind;

    while (woptind < argc && !IsOptionArgument(argv[woptind]))
        ++woptind;
    last_nonopt = woptind;

    if (woptind != argc && wcscmp(argv[woptind], L"--") == 0) {
        ++woptind;
        if (first_nonopt != last_nonopt && last_nonopt != woptind)
            exchange(argv);
        else if (first_nonopt == last_nonopt)
            first_nonopt = woptind;
        last_nonopt = argc;
        woptind = argc;
    }
    if (woptind == argc) {
        if (first_nonopt != last_nonopt)
            woptind = first_nonopt;
        return false;
    }
    const wchar_t *argument = argv[woptind];
    nextchar = argument + (IsPrefixChar(argument[1]) ? 2 : 1);
    return true;
}

void SkipRestOfArgument()
{
    nextchar += wcslen(nextchar);
}

}  // namespace

int wgetopt_long_only(int argc, const wchar_t **argv)
{
    return wgetopt_long_only_with(argc, argv, long_options);
}

int wgetopt_long_only_with(int argc, const wchar_t **argv, const option *longopts)
{
    if (argc < 1)
        return -1;
    woptarg = nullptr;
    if (woptind == 0 || !initialized) {
        if (woptind == 0)
            woptind = 1;
        first_nonopt = last_nonopt = woptind;
        nextchar = nullptr;
        initialized = 1;
    }
    if ((nextchar == nullptr || *nextchar == L'\0') && !AdvanceToNextOption(argc, argv))
        return -1;

    const wchar_t *argument = argv[woptind];
    const wchar_t *nameEnd = nextchar;
    while (*nameEnd && *nameEnd != L'=')
        ++nameEnd;
    size_t nameLength = static_cast<size_t>(nameEnd - nextchar);

    const option *found = nullptr;
    bool exact = false;
    bool ambiguous = false;
    for (const option *row = longopts; row->name; ++row) {
        if (wcsncmp(row->name, nextchar, nameLength) != 0)
            continue;
        if (wcslen(row->name) == nameLength) {
            found = row;
            exact = true;
            break;
        }
        if (!found)
            found = row;
        else
            ambiguous = true;
    }

    if (ambiguous && !exact) {
        PrintErr(L"%ls: option `%ls' is ambiguous\n", argv[0], argument);
        SkipRestOfArgument();
        ++woptind;
        return OPTION_IN_ERROR;
    }
    if (!found) {
        if (IsPrefixChar(argument[1]))
            PrintErr(L"%ls: unrecognized option `--%ls'\n", argv[0], nextchar);
        else
            PrintErr(L"%ls: unrecognized option `%lc%ls'\n", argv[0], static_cast<wint_t>(argument[0]), nextchar);
        nextchar = L"";
        ++woptind;
        return OPTION_IN_ERROR;
    }

    ++woptind;
    if (*nameEnd == L'=') {
        if (found->has_arg) {
            woptarg = nameEnd + 1;
        } else {
            if (IsPrefixChar(argument[1]))
                PrintErr(L"%ls: option `--%ls' doesn't allow an argument\n", argv[0], found->name);
            else
                PrintErr(L"%ls: option `%lc%ls' doesn't allow an argument\n", argv[0], static_cast<wint_t>(argument[0]),
                         found->name);
            SkipRestOfArgument();
            return OPTION_IN_ERROR;
        }
    } else if (found->has_arg == REQUIRED_ARGUMENT) {
        if (woptind < argc) {
            woptarg = argv[woptind++];
        } else {
            PrintErr(L"%ls: option `%ls' requires an argument\n", argv[0], argument);
            SkipRestOfArgument();
            return OPTION_IN_ERROR;
        }
    }
    SkipRestOfArgument();
    if (found->flag) {
        *found->flag = found->val;
        return 0;
    }
    return found->val;
}
