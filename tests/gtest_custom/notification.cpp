#include <gtest/gtest.h>

#include <windows.h>

namespace testing {
namespace internal {

// A manual-reset event: once notified, every wait returns at once.
Notification::Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    GTEST_CHECK_(event_ != nullptr) << "CreateEvent failed with error " << GetLastError() << ".";
}

Notification::~Notification()
{
    CloseHandle(event_);
}

void Notification::Notify()
{
    SetEvent(event_);
}

void Notification::WaitForNotification()
{
    WaitForSingleObject(event_, INFINITE);
}

}  // namespace internal
}  // namespace testing
