// Answers the next modal dialog of this process from another thread, the way a
// user would: it waits for the dialog, notes its caption and text, and presses
// a button. Needed because a modal box blocks the thread under test.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "tests/support/test_thread.h"

class DialogAnswerer {
public:
    // Presses the button with buttonId (or, when the dialog has none, its
    // default button) in the first dialog that appears before Finish() or
    // within timeoutMs. To show that no dialog appears, watch with the default
    // and expect Finish() to be false: a box that does appear is closed, so the
    // code under test returns and the test fails at once instead of hanging.
    explicit DialogAnswerer(int buttonId, DWORD timeoutMs = INFINITE);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Stops watching and waits for the answering thread; true when a dialog
    // was seen and answered.
    bool Finish();
    const std::wstring& caption() const { return caption_; }
    const std::wstring& text() const { return text_; }

private:
    void Run(int buttonId, DWORD timeoutMs);

    std::atomic<bool> stop_{false};
    bool answered_ = false;
    std::wstring caption_;
    std::wstring text_;
    // Last, so that everything the thread writes exists before it starts.
    TestThread thread_;
};
