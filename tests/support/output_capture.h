// Captures what the code under test writes on standard output and standard
// error, decoded back to wide text as the console would show it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "win32api.h"

// What a call returned, and what it printed on each stream.
struct Printed {
    DWORD result;
    std::wstring out;
    std::wstring err;
};

// Runs the call with both console streams captured.
Printed Capture(const std::function<DWORD()> &call);

class OutputCapture {
  public:
    OutputCapture();
    ~OutputCapture();
    // Ends the capture (once) and keeps the texts.
    void Stop();
    const std::wstring &Out();
    const std::wstring &Err();
    // The bytes written on standard output, as the runtime encoded them.
    const std::string &OutBytes();

  private:
    struct Stream {
        FILE *stream;
        FILE *file;
        int savedDescriptor;
        std::string bytes;
        std::wstring text;
    };
    void Begin(Stream &s, FILE *stream);
    void End(Stream &s);
    Stream out_;
    Stream err_;
    bool running_;
};
