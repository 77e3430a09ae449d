#include "output_capture.h"

#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define fileno _fileno
#define close _close
#else
#include <unistd.h>
#endif

namespace {

// The bytes as the runtime wrote them for the current locale: UTF-8 on the
// host, the locale's code page on Windows (text mode undoes the CR LF there).
std::wstring Decode(const std::string &bytes)
{
    std::vector<wchar_t> wide(bytes.size() + 1);
    size_t count = mbstowcs(wide.data(), bytes.c_str(), wide.size());
    if (count == static_cast<size_t>(-1))
        return L"<undecodable output>";
    return std::wstring(wide.data(), count);
}

std::string ReadAll(FILE *file)
{
    std::string bytes;
    rewind(file);
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    return bytes;
}

}  // namespace

OutputCapture::OutputCapture() : running_(true)
{
    Begin(out_, stdout);
    Begin(err_, stderr);
}

OutputCapture::~OutputCapture()
{
    Stop();
}

void OutputCapture::Begin(Stream &s, FILE *stream)
{
    fflush(stream);
    s.stream = stream;
    s.file = tmpfile();
    s.savedDescriptor = dup(fileno(stream));
    if (s.file) {
        dup2(fileno(s.file), fileno(stream));
#ifdef _WIN32
        // The descriptor took the temporary file's binary mode, in which the
        // runtime writes wide text as raw UTF-16: the console's mode is text.
        _setmode(fileno(stream), _O_TEXT);
#endif
    }
}

void OutputCapture::End(Stream &s)
{
    fflush(s.stream);
    dup2(s.savedDescriptor, fileno(s.stream));
    close(s.savedDescriptor);
    if (!s.file) {
        s.text = L"<no capture file>";
        return;
    }
    std::string bytes = ReadAll(s.file);
    fclose(s.file);
#ifdef _WIN32
    // The file was written in text mode: undo its CR LF.
    std::string lines;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            lines += bytes[i];
    bytes = lines;
#endif
    s.bytes = bytes;
    s.text = Decode(bytes);
}

void OutputCapture::Stop()
{
    if (!running_)
        return;
    running_ = false;
    End(out_);
    End(err_);
}

const std::wstring &OutputCapture::Out()
{
    Stop();
    return out_.text;
}

const std::wstring &OutputCapture::Err()
{
    Stop();
    return err_.text;
}

const std::string &OutputCapture::OutBytes()
{
    Stop();
    return out_.bytes;
}

Printed Capture(const std::function<DWORD()> &call)
{
    OutputCapture capture;
    DWORD result = call();
    return Printed{result, capture.Out(), capture.Err()};
}
