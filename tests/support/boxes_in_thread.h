// Answers the message boxes this thread shows with one button, from inside
// the thread (a hook), and notes the last one. With the address space taken,
// a helper thread could not become a window thread (the platform needs
// memory for that), so DialogAnswerer cannot be used there; a benchmark
// answers with it at once, so that the answer costs next to no time.
#pragma once
#include <windows.h>

#include <string>

class BoxesAnsweredInThread {
public:
    explicit BoxesAnsweredInThread(int button = IDOK);
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
    static int button_;
};
