// GoogleTest's own place for a platform's threading pieces. The toolchain's
// runtime threads through the system and has no std::mutex, which GoogleTest's
// Notification is built on, so this one waits on a system event instead.
#ifndef SCRIVLET_TESTS_GTEST_CUSTOM_PORT_H_
#define SCRIVLET_TESTS_GTEST_CUSTOM_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif
