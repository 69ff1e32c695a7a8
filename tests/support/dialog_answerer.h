// Answers the next modal dialog of this process from another thread, the way a
// user would: it waits for the dialog, notes its caption and text, and presses
// a button. Needed because a modal box blocks the thread under test.
#pragma once
#include <windows.h>

#include <string>
#include <thread>

class DialogAnswerer {
public:
    // Presses the button with buttonId in the first dialog that appears
    // within timeoutMs.
    explicit DialogAnswerer(int buttonId, DWORD timeoutMs = 10000);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Waits for the answering thread; true when a dialog was seen and answered.
    bool Finish();
    const std::wstring& caption() const { return caption_; }
    const std::wstring& text() const { return text_; }

private:
    void Run(int buttonId, DWORD timeoutMs);

    std::thread thread_;
    bool answered_ = false;
    std::wstring caption_;
    std::wstring text_;
};
