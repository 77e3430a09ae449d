#include "report/console_text.h"

#include <cstdlib>
#include <cwchar>

#include "report/console_log.h"
#include "win32api.h"

int PrintTextV(FILE *stream, const wchar_t *format, va_list args)
{
    wchar_t local[1024];
    wchar_t *buffer = local;
    size_t capacity = sizeof local / sizeof local[0];
    int length;
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        length = vswprintf(buffer, capacity, format, attempt);
        va_end(attempt);
        if (length >= 0 && static_cast<size_t>(length) < capacity)
            break;
        // Too small: glibc says only that (-1), MinGW gives the length needed.
        // Grow up to a limit far beyond any registry path or file name.
        size_t needed = length >= 0 ? static_cast<size_t>(length) + 1 : capacity * 4;
        if (buffer != local)
            free(buffer);
        if (needed > (1u << 20))
            return -1;
        capacity = needed;
        buffer = static_cast<wchar_t *>(malloc(capacity * sizeof(wchar_t)));
        if (!buffer)
            return -1;
    }
    LogConsoleText(buffer);
    if (PutWideText(buffer, stream) < 0)
        length = -1;
    if (buffer != local)
        free(buffer);
    return length;
}

int PrintOut(const wchar_t *format, ...)
{
    va_list args;
    va_start(args, format);
    int length = PrintTextV(stdout, format, args);
    va_end(args);
    return length;
}

int PrintErr(const wchar_t *format, ...)
{
    va_list args;
    va_start(args, format);
    int length = PrintTextV(stderr, format, args);
    va_end(args);
    return length;
}
