// The progress of reading a large file, in a window with Cancel that leaves
// the document as it was. The read goes in steps, handling the window's
// messages between them; a small file shows no window and is read at once.
#pragma once
#include <windows.h>

#include <cstddef>

// Files of this size and more show the window.
const ULONGLONG kLoadProgressFrom = 16ull << 20;

class LoadProgress {
public:
    LoadProgress(HWND mainWindow, ULONGLONG fileSize);
    ~LoadProgress();
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    // Reads exactly size bytes of file into data; false on an error, when
    // the file ends first, or once Cancel has been pressed.
    bool Read(HANDLE file, void* data, size_t size);
    // Says that the bytes read are being turned into text; false once
    // Cancel has been pressed.
    bool Converting();
    // Starts the count again, for a read that is made again.
    void Restart() { done_ = 0; }
    bool cancelled() const { return cancelled_; }

private:
    bool Show(const wchar_t* text);

    HWND mainWindow_;
    HWND window_;
    ULONGLONG fileSize_;
    ULONGLONG done_ = 0;
    bool cancelled_ = false;
};
