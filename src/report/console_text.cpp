#include "report/console_text.h"

#include <cstdlib>
#include <cwchar>

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
        // vswprintf gives no needed size: grow until the text fits, up to a
        // limit far beyond any registry path or file name.
        if (length >= 0 || capacity >= (1u << 20))
            break;
        if (buffer != local)
            free(buffer);
        capacity *= 4;
        buffer = static_cast<wchar_t *>(malloc(capacity * sizeof(wchar_t)));
        if (!buffer)
            return -1;
    }
    if (length >= 0 && PutWideText(buffer, stream) < 0)
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
