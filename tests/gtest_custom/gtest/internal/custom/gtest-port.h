// GoogleTest's place for a platform's own pieces, taken instead of its empty
// one in the Windows builds. GoogleTest builds its Notification (the signal that
// lets a helper thread start) from std::mutex and std::condition_variable, which
// the libstdc++ of MinGW's win32 thread model lacks; this one is a Win32 event.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
  public:
    Notification();
    ~Notification();
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify();
    void WaitForNotification();

  private:
    void *event_;
};

}  // namespace internal
}  // namespace testing
