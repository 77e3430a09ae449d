// Unpacking installer key names: any text is either refused or a GUID that
// packs back to the same 32 digits; it never reads past what it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwctype>

#include "installer/installer.h"

namespace {

const size_t MAX_TEXT = 40;

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t length = size < MAX_TEXT ? size : MAX_TEXT;
    // Exactly as long as the input, so that the sanitizer sees any read past it.
    wchar_t *text = static_cast<wchar_t *>(malloc((length + 1) * sizeof(wchar_t)));
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<wchar_t>(data[i]);
    text[length] = L'\0';

    GUID guid;
    HRESULT result = CLSIDFromBEString(text, &guid);
    if (result == S_OK) {
        wchar_t packed[38];
        BEStringFromCLSID(packed, guid);
        for (size_t i = 0; i < 32; ++i)
            if (!IsHexDigit(text[i]) || packed[i] != static_cast<wchar_t>(towupper(static_cast<wint_t>(text[i]))))
                abort();
    } else if (result != E_INVALIDARG) {
        abort();
    }
    free(text);
    return 0;
}
