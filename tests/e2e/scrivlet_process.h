// Drives the real scrivlet.exe from outside, as a user would, and reads back
// what a user sees: title, edit text, status bar, dialogs and exit code.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

class ScrivletProcess {
public:
    // Starts scrivlet.exe (next to this test program, or the one at
    // executable) with commandTail after the program name, in workingFolder
    // when given, and in the host's locale (LC_ALL, e.g. "ja_JP.UTF-8", which
    // gives the program code page 932) when given.
    explicit ScrivletProcess(const std::wstring& commandTail = L"", const std::wstring& workingFolder = L"",
                             const std::wstring& executable = L"", const std::wstring& locale = L"");
    ~ScrivletProcess();
    ScrivletProcess(const ScrivletProcess&) = delete;
    ScrivletProcess& operator=(const ScrivletProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return processId_; }
    // Why CreateProcess failed, when it did.
    DWORD startError() const { return startError_; }

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
    // The first visible dialog of the program with this caption.
    HWND WaitForDialogTitled(const std::wstring& caption, DWORD timeoutMs = 10000) const;
    // True when no dialog of the program is showing once it is idle again.
    bool ShowsNoDialog();

    // A command as the menu would send it, through the program's queue.
    void PostCommand(UINT id);
    // Characters as typed into the edit control (posted WM_CHAR).
    void Type(const std::wstring& text);
    // A shortcut as the program's message loop gets it from the keyboard: the
    // main window made the foreground window, the modifiers (VK_CONTROL,
    // VK_SHIFT, VK_MENU) held in the program's key state, the key's messages
    // queued to its focus window. Returns once the program has taken them;
    // false when the window could not be brought to the front or the
    // modifiers were not held throughout.
    bool PressKeys(std::initializer_list<WORD> modifiers, WORD key);
    // Brings a window of another program to the front and then the
    // program's own back, as a user switching away and back does.
    bool ComeBack();
    // Selects characters [start, end) of the edit control.
    void Select(DWORD start, DWORD end);
    void Selection(DWORD* start, DWORD* end) const;
    // Drops files onto the main window, as the shell's WM_DROPFILES does.
    bool DropFiles(const std::vector<std::wstring>& paths);

    // Other running programs' main windows (e.g. one started by New Window).
    std::vector<HWND> OtherMainWindows() const;

    void Close();
    // True when the process ended in time; exitCode receives its code.
    bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = 10000);

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD startError_ = 0;
    HWND window_ = nullptr;
};

// The full path of scrivlet.exe beside the running test program, or the
// program that the environment's SCRIVLET_PROGRAM names.
std::wstring ScrivletExecutable();

// Presses the button with the given id in a dialog of another process.
void PressDialogButton(HWND dialog, int buttonId);

// True once window no longer exists (a dialog closed), within the timeout.
bool WaitUntilGone(HWND window, DWORD timeoutMs = 10000);

// Types path into the file name box of an Open or Save As dialog, picks the
// file type by its position in the list when typeIndex is not negative, and
// presses OK. False when a control of the dialog was not found.
bool AcceptFileDialog(HWND dialog, const std::wstring& path, int typeIndex = -1);

// The file types an Open or Save As dialog lists, in order, and the
// position of the one it shows (-1 when none is found).
std::vector<std::wstring> FileDialogTypes(HWND dialog, int* selected);

// The texts of a message box of another process.
struct MessageBoxContent {
    std::wstring caption;
    std::wstring text;
};
MessageBoxContent ReadMessageBox(HWND box);
