#include "report/text_file.h"

namespace {

const size_t FLUSH_THRESHOLD = 1u << 16;

void AppendUnit(std::string *bytes, unsigned unit)
{
    bytes->push_back(static_cast<char>(unit & 0xFF));
    bytes->push_back(static_cast<char>(unit >> 8));
}

}  // namespace

BOOL CreateTextFile(TextFile *file, LPCWSTR lpPath)
{
    file->pending.clear();
    file->error = 0;
    file->whole = 0;
    file->handle =
        CreateFileW(lpPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file->handle == INVALID_HANDLE_VALUE)
        return FALSE;
    AppendUnit(&file->pending, 0xFEFF);
    return FlushTextFile(file);
}

void AppendText(TextFile *file, const wchar_t *text)
{
    if (file->error)
        return;
    for (; *text; ++text) {
        unsigned c = static_cast<unsigned>(*text);
        if (c == L'\n')
            AppendUnit(&file->pending, L'\r');
        if (c > 0xFFFF) {
            c -= 0x10000;
            AppendUnit(&file->pending, 0xD800 + (c >> 10));
            AppendUnit(&file->pending, 0xDC00 + (c & 0x3FF));
        } else {
            AppendUnit(&file->pending, c);
        }
    }
    // A long entry is written on the way rather than held whole in memory.
    if (file->pending.size() >= FLUSH_THRESHOLD)
        FlushTextFile(file);
}

BOOL FlushTextFile(TextFile *file)
{
    if (file->error)
        return FALSE;
    size_t done = 0;
    while (done < file->pending.size()) {
        DWORD written = 0;
        DWORD size = static_cast<DWORD>(file->pending.size() - done);
        if (!WriteFile(file->handle, file->pending.data() + done, size, &written, nullptr) || written == 0) {
            file->error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
            file->pending.clear();
            // Part of the flush, even of the failed write, may be on disk:
            // the file ends where it was whole.
            if (SetFilePointer(file->handle, static_cast<LONG>(file->whole), nullptr, FILE_BEGIN) == file->whole)
                SetEndOfFile(file->handle);
            return FALSE;
        }
        done += written;
    }
    file->whole += static_cast<DWORD>(done);
    file->pending.clear();
    return TRUE;
}

BOOL CloseTextFile(TextFile *file)
{
    BOOL written = FlushTextFile(file);
    if (written && !FlushFileBuffers(file->handle))
        file->error = GetLastError();
    if (!CloseHandle(file->handle) && !file->error)
        file->error = GetLastError();
    file->handle = INVALID_HANDLE_VALUE;
    return file->error == 0;
}
