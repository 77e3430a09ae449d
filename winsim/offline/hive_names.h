// What the offline hive code shares about hivex: a handle that closes itself,
// names between hivex's UTF-8 and the registry's wide strings, error text.
#pragma once

#include <hivex.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace winsim {

struct HiveCloser {
    void operator()(hive_h *hive) const
    {
        hivex_close(hive);
    }
};
typedef std::unique_ptr<hive_h, HiveCloser> HiveHandle;

// Arrays and names that hivex hands over are the caller's to free.
struct FreeMemory {
    void operator()(void *memory) const
    {
        free(memory);
    }
};
template <class T> using HivexArray = std::unique_ptr<T, FreeMemory>;

// hivex keeps a value's type in an enum of the types Windows names; a value
// of any other type (any 32-bit number) passes through it as its bits, which
// are copied rather than converted, since the enum cannot hold them.
static_assert(sizeof(hive_type) == sizeof(uint32_t), "a value type is 32 bits");
inline uint32_t TypeBits(const hive_type &type)
{
    uint32_t bits;
    std::memcpy(&bits, &type, sizeof bits);
    return bits;
}
inline void SetTypeBits(hive_type *type, uint32_t bits)
{
    std::memcpy(type, &bits, sizeof bits);
}

// hivex gives key and value names in UTF-8 (names stored in Latin-1 or
// UTF-16LE recoded), with any NUL characters kept: the length says where a
// name ends. False, errno set, when hivex cannot read or recode the name.
bool NodeName(hive_h *hive, hive_node_h node, std::wstring *name);
bool ValueName(hive_h *hive, hive_value_h value, std::wstring *name);
// The UTF-8 that hivex takes for a name; false for a name with a NUL
// character, which its C strings cannot carry.
bool HivexName(const std::wstring &name, std::string *utf8);

std::wstring WideText(const std::string &text);
std::wstring ErrorText(int error);

}  // namespace winsim
