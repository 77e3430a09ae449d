// A clean registry for each test (a fresh simulated machine, or emptied test
// keys under Wine), the view and restart flags back at 0, and the engine's
// output captured.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "output_capture.h"
#include "registry_helpers.h"

class RegistryTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    Printed Delete(HKEY root, const std::wstring &path, DWORD mode, DWORD warn);
    Printed TakeOver(HKEY parent, const std::wstring &path);

    const std::wstring T = TEST_SOFTWARE;
    const std::wstring S = TEST_SYSTEM;
};

// Whether the report text holds a report with this message and code.
bool HasReport(const std::wstring &err, const std::wstring &message, DWORD code);
