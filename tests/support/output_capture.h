// Captures what the code under test writes on standard output and standard
// error, decoded back to wide text as the console would show it.
#pragma once

#include <cstdio>
#include <string>

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
