// Runs the install command or the program's entry on a fresh machine with
// recording engines, and keeps what they printed and returned.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_doubles.h"

struct Outcome {
    DWORD status;
    std::wstring out;
    std::wstring err;
};

class DriverTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Each call is a new parse, as in a new process.
    // The install command with argument 0 "vxclean" and these behind it.
    Outcome Install(const std::vector<const wchar_t *> &arguments);
    // The program's entry with argument 0 "vxclean.exe" and these behind it.
    Outcome Start(const std::vector<const wchar_t *> &arguments);
};

typedef std::vector<std::wstring> Log;

// The calls that these lines ("files mode 1 warn 0") make in each view of this
// machine, as CallLog names them: on 64-bit Windows in the 64-bit view with
// the files unredirected first, then in the native view.
Log InEachView(const Log &lines);

// The usage text, as the install command prints it for argument 0 "vxclean".
extern const wchar_t USAGE_TEXT[];
