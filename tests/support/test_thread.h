// A thread for a test's stand-in user, started on the system's own threads:
// the program's runtime has no std::thread.
#pragma once
#include <windows.h>

#include <functional>
#include <utility>

class TestThread {
public:
    explicit TestThread(std::function<void()> body) : body_(std::move(body))
    {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~TestThread() { join(); }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    // Waits for the body to end; also when it could not start, so that a
    // test never waits for nothing.
    void join()
    {
        if (!thread_)
            return;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    bool started() const { return thread_ != nullptr; }

private:
    static DWORD WINAPI Run(void* self)
    {
        static_cast<TestThread*>(self)->body_();
        return 0;
    }
    std::function<void()> body_;
    HANDLE thread_;
};
