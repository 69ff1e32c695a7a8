// Drives the real scrivlet.exe from outside, as a user would, and reads back
// what a user sees: title, edit text, status bar, dialogs and exit code.
#pragma once
#include <windows.h>

#include <string>

class ScrivletProcess {
public:
    // Starts scrivlet.exe (next to this test program) with commandTail after
    // the program name, in workingFolder when given.
    explicit ScrivletProcess(const std::wstring& commandTail = L"", const std::wstring& workingFolder = L"");
    ~ScrivletProcess();
    ScrivletProcess(const ScrivletProcess&) = delete;
    ScrivletProcess& operator=(const ScrivletProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return processId_; }

    // The main window once it exists (visible or not), or null after the timeout.
    HWND WaitForMainWindow(DWORD timeoutMs = 10000);
    // Waits until the main window is shown and the program has handled all it
    // had queued.
    bool WaitUntilReady(DWORD timeoutMs = 10000);
    // True once the program has dealt with everything queued so far: a paint
    // comes only when its queue is otherwise empty.
    bool WaitUntilIdle(DWORD timeoutMs = 10000);

    HWND mainWindow() const { return window_; }
    HWND Child(int id) const { return GetDlgItem(window_, id); }
    std::wstring Title() const;
    std::wstring EditText() const;
    std::wstring StatusText(int part) const;

    // The first visible dialog (message box, common dialog) of the program.
    HWND WaitForDialog(DWORD timeoutMs = 10000) const;

    void Close();
    // True when the process ended in time; exitCode receives its code.
    bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = 10000);

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// The full path of scrivlet.exe beside the running test program.
std::wstring ScrivletExecutable();

// Presses the button with the given id in a dialog of another process.
void PressDialogButton(HWND dialog, int buttonId);
