#include "files_fixture.h"

#include <algorithm>
#include <chrono>
#include <cwctype>

#include "output_capture.h"
#include "record/record.h"
#include "record_files.h"
#include "test_machine.h"

#ifndef _WIN32
#include <winsim/control.h>
#endif

namespace {

void RemoveAll(const std::wstring &path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        for (const std::wstring &name : Listing(path))
            RemoveAll(path + L"\\" + name);
    RemoveDirectoryW(path.c_str());
}

bool IsHex(const std::wstring &digits)
{
    for (wchar_t c : digits)
        if (!std::iswxdigit(static_cast<wint_t>(c)))
            return false;
    return !digits.empty() && digits.size() <= 4;
}

}  // namespace

std::vector<std::wstring> ReportMessages(const std::wstring &err)
{
    std::vector<std::wstring> messages;
    const std::wstring source = L"\ninstall:";
    for (size_t at = err.find(source); at != std::wstring::npos; at = err.find(source, at + 1)) {
        size_t start = err.find(L':', at + source.size()) + 1;
        messages.push_back(err.substr(start, err.find(L'\n', start) - start));
    }
    return messages;
}

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Listing(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return names;
}

std::vector<std::wstring> TmpNames(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    for (const std::wstring &name : Listing(folder))
        if (name.size() > 7 && name.compare(0, 3, L"csp") == 0 && name.compare(name.size() - 4, 4, L".tmp") == 0 &&
            IsHex(name.substr(3, name.size() - 7)))
            names.push_back(name);
    return names;
}

void MakeFileAt(const char *file, int line, const std::wstring &path, const std::string &content)
{
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (handle == INVALID_HANDLE_VALUE ||
        !WriteFile(handle, content.data(), static_cast<DWORD>(content.size()), &written, nullptr))
        ADD_FAILURE_AT(file, line) << "cannot make the file (error " << GetLastError() << ")";
    CloseHandle(handle);
}

void MakeFolderAt(const char *file, int line, const std::wstring &path)
{
    if (!CreateDirectoryW(path.c_str(), nullptr))
        ADD_FAILURE_AT(file, line) << "cannot make the folder (error " << GetLastError() << ")";
}

std::string Utf16(const std::wstring &text)
{
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring Recorded(const std::wstring &path)
{
    return L"\\??\\" + path;
}

RecordedCall UnderRecord(const std::function<DWORD()> &call)
{
    RecordedCall recorded;
    recorded.printed = Capture([&] {
        StartRecord(TRUE);
        DWORD result = call();
        FinishRecord(result, RESTART_NONE);
        return result;
    });
    std::vector<std::wstring> folders = RecordFolders();
    std::wstring undo = folders.empty() ? L"" : RecordText(folders.back(), L"undo.reg");
    // The notes come after the header's lines, which end at a blank line.
    const size_t header = undo.find(L"\n; Undo file of ");
    size_t at = header == std::wstring::npos ? header : undo.find(L"\n;", undo.find(L"\n\n", header));
    for (; at != std::wstring::npos; at = undo.find(L"\n;", at + 1))
        recorded.notes.push_back(undo.substr(at + 1, undo.find(L'\n', at + 1) - at - 1));
    std::sort(recorded.notes.begin(), recorded.notes.end());
    return recorded;
}

std::wstring SummaryLine(const std::wstring &label, DWORD count, const std::wstring &after)
{
    return L"  " + label + std::wstring(26 - label.size(), L' ') + std::to_wstring(count) + after + L"\n";
}

void FilesTest::SetUp()
{
    StartFreshMachine();
    WCHAR temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    work_ = std::wstring(temp) + L"vxfiles" +
            std::to_wstring(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007);
    MakeFolder(work_);
    pendingAtStart_ = PendingRenames().size();
}

void FilesTest::TearDown()
{
    for (HANDLE lock : locks_)
        CloseHandle(lock);
#ifdef _WIN32
    for (HMODULE image : images_)
        FreeLibrary(image);
#endif
    RemoveAll(work_);
    for (const std::wstring &path : madeElsewhere_)
        RemoveAll(path);
}

std::wstring FilesTest::Work(const std::wstring &name) const
{
    return name.empty() ? work_ : work_ + L"\\" + name;
}

void FilesTest::MakeInUseAt(const char *file, int line, const std::wstring &path)
{
#ifdef _WIN32
    // A DLL of our own, built beside the test program, copied and loaded.
    WCHAR program[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring image = std::wstring(program, length);
    image = image.substr(0, image.rfind(L'\\') + 1) + L"files_test_image.dll";
    HMODULE module = nullptr;
    if (CopyFileW(image.c_str(), path.c_str(), TRUE))
        module = LoadLibraryW(path.c_str());
    if (!module)
        ADD_FAILURE_AT(file, line) << "cannot load a copy of the test DLL (error " << GetLastError() << ")";
    images_.push_back(module);
#else
    MakeFileAt(file, line, path);
    winsim::MapAsLoadedImage(path.c_str());
#endif
}

void FilesTest::LockAt(const char *file, int line, const std::wstring &path)
{
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (lock == INVALID_HANDLE_VALUE)
        ADD_FAILURE_AT(file, line) << "cannot lock the file (error " << GetLastError() << ")";
    else
        locks_.push_back(lock);
}

std::vector<PendingRecord> FilesTest::NewPendingRenames() const
{
    std::vector<PendingRecord> all = PendingRenames();
    return std::vector<PendingRecord>(all.begin() + static_cast<long>(std::min(pendingAtStart_, all.size())),
                                      all.end());
}
