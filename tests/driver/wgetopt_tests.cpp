#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/wgetopt.h"
#include "output_capture.h"

namespace {

const wchar_t EN_DASH = 0x2013;

struct Parse {
    std::vector<int> values;            // every value returned, -1 last
    std::vector<std::wstring> argv;     // the vector after the parse
    std::vector<std::wstring> optargs;  // "(none)" where woptarg was null
    int optind;
    std::wstring messages;
};

// Parses a whole vector (argument 0 is "vxclean") to its end, as a fresh parse.
Parse ParseAll(std::initializer_list<std::wstring> arguments, const option *table = long_options)
{
    std::vector<std::wstring> storage = {L"vxclean"};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<const wchar_t *> argv;
    for (const std::wstring &argument : storage)
        argv.push_back(argument.c_str());

    Parse parse;
    woptind = 0;
    OutputCapture capture;
    int value;
    do {
        value = wgetopt_long_only_with(static_cast<int>(argv.size()), argv.data(), table);
        parse.values.push_back(value);
        parse.optargs.push_back(woptarg ? woptarg : L"(none)");
    } while (value != -1 && parse.values.size() < 20);
    parse.messages = capture.Err();
    parse.optind = woptind;
    parse.argv.assign(argv.begin(), argv.end());
    return parse;
}

}  // namespace

TEST(OptionParser, EveryPrefixOfANameWithEitherDashSelectsIt)
{
    const std::wstring en(1, EN_DASH);
    for (const std::wstring &argument :
         {std::wstring(L"-c"), std::wstring(L"-cl"), std::wstring(L"-clear"), std::wstring(L"--clear"), en + L"clear",
          en + en + L"clear", en + L"c", std::wstring(L"-") + en + L"clear"}) {
        Parse parse = ParseAll({argument});
        EXPECT_EQ((std::vector<int>{1, -1}), parse.values) << argument.size();
        EXPECT_EQ(L"", parse.messages);
    }
    EXPECT_EQ((std::vector<int>{0, -1}), ParseAll({L"-s"}).values);
    EXPECT_EQ((std::vector<int>{0, -1}), ParseAll({L"-sh"}).values);
    EXPECT_EQ((std::vector<int>{0, -1}), ParseAll({L"--show"}).values);
    EXPECT_EQ((std::vector<int>{5, 6, -1}), ParseAll({L"-from_window", L"-h"}).values);
}

// Each error names the argument in the form it was given, from its name part
// on, equals sign included; two EN DASHes show as two hyphens, as GNU shows a
// double prefix, and are no end marker (the name part is then empty).
TEST(OptionParser, ErrorsAreReportedInTheFormTheArgumentWasGiven)
{
    const std::wstring en(1, EN_DASH);
    const struct {
        std::wstring argument;
        std::wstring message;
    } errors[] = {
        {L"-CLEAR", L"unrecognized option `-CLEAR'"},
        {L"--bogus", L"unrecognized option `--bogus'"},
        {en + L"bogus", L"unrecognized option `" + en + L"bogus'"},
        {en + en + L"bogus", L"unrecognized option `--bogus'"},
        {L"-clearx=1", L"unrecognized option `-clearx=1'"},
        {L"-clear=1", L"option `-clear' doesn't allow an argument"},
        {L"--clear=1", L"option `--clear' doesn't allow an argument"},
        {L"--cl=", L"option `--clear' doesn't allow an argument"},
        {en + L"clear=1", L"option `" + en + L"clear' doesn't allow an argument"},
        {L"-=", L"option `-=' is ambiguous"},
        {L"--=x", L"option `--=x' is ambiguous"},
        {en + en, L"option `" + en + en + L"' is ambiguous"},
    };
    for (const auto &error : errors) {
        Parse parse = ParseAll({error.argument, L"-warn"});
        EXPECT_EQ((std::vector<int>{'?', 3, -1}), parse.values) << error.argument.size();
        EXPECT_EQ(L"vxclean: " + error.message + L"\n", parse.messages);
    }
}

// Non-options move behind the options in their order; a lone dash is one,
// and a double hyphen ends the options, staying in front of the non-options
// with optind behind it, as in GNU.
TEST(OptionParser, NonOptionsMoveBehindTheOptions)
{
    const struct {
        std::initializer_list<std::wstring> arguments;
        std::vector<int> values;
        std::vector<std::wstring> argv;
        int optind;
    } parses[] = {
        {{}, {-1}, {L"vxclean"}, 1},
        {{L"extra", L"words"}, {-1}, {L"vxclean", L"extra", L"words"}, 1},
        {{L"x", L"-clear", L"y", L"-warn"}, {1, 3, -1}, {L"vxclean", L"-clear", L"-warn", L"x", L"y"}, 3},
        {{L"a", L"b", L"c", L"-show", L"d", L"-warn", L"-reboot", L"e"},
         {0, 3, 4, -1},
         {L"vxclean", L"-show", L"-warn", L"-reboot", L"a", L"b", L"c", L"d", L"e"},
         4},
        {{L"-", L"-clear"}, {1, -1}, {L"vxclean", L"-clear", L"-"}, 2},
        {{L"x", L"-clear", L"--", L"-warn", L"y"}, {1, -1}, {L"vxclean", L"-clear", L"--", L"x", L"-warn", L"y"}, 3},
    };
    for (const auto &expected : parses) {
        Parse parse = ParseAll(expected.arguments);
        SCOPED_TRACE(testing::Message() << expected.arguments.size() << " arguments");
        EXPECT_EQ(expected.values, parse.values);
        EXPECT_EQ(expected.argv, parse.argv);
        EXPECT_EQ(expected.optind, parse.optind);
    }
}

TEST(OptionParser, OptionsWithArgumentsAndFlagsOfOtherTables)
{
    int chosen = 0;
    const option table[] = {
        {L"file", REQUIRED_ARGUMENT, nullptr, 'f'},
        {L"level", OPTIONAL_ARGUMENT, nullptr, 'l'},
        {L"verbose", NO_ARGUMENT, &chosen, 7},
        {L"version", NO_ARGUMENT, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    Parse parse = ParseAll({L"-file", L"a.txt", L"--level=3", L"-level", L"-verb", L"--file=b"}, table);
    EXPECT_EQ((std::vector<int>{'f', 'l', 'l', 0, 'f', -1}), parse.values);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"3", L"(none)", L"(none)", L"b", L"(none)"}), parse.optargs);
    EXPECT_EQ(7, chosen);

    Parse missing = ParseAll({L"-file"}, table);
    EXPECT_EQ((std::vector<int>{'?', -1}), missing.values);
    EXPECT_EQ(L"vxclean: option `-file' requires an argument\n", missing.messages);

    Parse ambiguous = ParseAll({L"-ver"}, table);
    EXPECT_EQ((std::vector<int>{'?', -1}), ambiguous.values);
    EXPECT_EQ(L"vxclean: option `-ver' is ambiguous\n", ambiguous.messages);
    EXPECT_EQ((std::vector<int>{'V', -1}), ParseAll({L"-version"}, table).values);
}
