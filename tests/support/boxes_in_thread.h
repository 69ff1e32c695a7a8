// Answers the message boxes this thread shows with OK, from inside the thread
// (a hook), and notes the last one. With the address space taken, a helper
// thread could not become a window thread (the platform needs memory for
// that), so DialogAnswerer cannot be used there.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class BoxesAnsweredInThread {
public:
    BoxesAnsweredInThread();
    ~BoxesAnsweredInThread();
    BoxesAnsweredInThread(const BoxesAnsweredInThread&) = delete;
    BoxesAnsweredInThread& operator=(const BoxesAnsweredInThread&) = delete;
    bool active() const { return hook_ != nullptr; }
    // "caption: text" of the last box; empty when none appeared.
    std::wstring seen() const { return seen_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    // Filled inside the hook without allocating: memory may be gone then.
    static wchar_t seen_[400];
};

// Runs act with the address space taken and its boxes answered; returns the
// last box as seen() does. The test fails when the space could not be taken.
std::wstring LastBoxWithAddressSpaceTaken(const std::function<void()>& act);
