// The program's own messages, on standard error after what the run printed.
#include <cstdio>

#include "offline_program.h"
#include "winsim/utf8.h"

namespace offline {

void Complain(const std::wstring &message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", PROGRAM, winsim::EncodeUtf8(message.c_str()).c_str());
}

}  // namespace offline
