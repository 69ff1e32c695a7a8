#include "tests/e2e/scrivlet_process.h"

#include <commctrl.h>

#include <vector>

#include "tests/support/wait.h"

namespace {

struct MainWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindowProc(HWND window, LPARAM lParam)
{
    MainWindowSearch* search = reinterpret_cast<MainWindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ClassName(window) == L"Scrivlet_Wnd") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Polls condition (without pumping: this thread has no windows of interest).
bool Poll(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

}  // namespace

std::wstring ScrivletExecutable()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"scrivlet.exe";
}

void PressDialogButton(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, nullptr);
}

ScrivletProcess::ScrivletProcess(const std::wstring& commandTail, const std::wstring& workingFolder)
{
    std::wstring commandLine = L"\"" + ScrivletExecutable() + L"\"";
    if (!commandTail.empty())
        commandLine += L" " + commandTail;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        CloseHandle(info.hThread);
    }
}

ScrivletProcess::~ScrivletProcess()
{
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

HWND ScrivletProcess::WaitForMainWindow(DWORD timeoutMs)
{
    Poll(
        [this] {
            MainWindowSearch search = {processId_, nullptr};
            EnumWindows(FindMainWindowProc, reinterpret_cast<LPARAM>(&search));
            window_ = search.found;
            return window_ != nullptr;
        },
        timeoutMs);
    return window_;
}

bool ScrivletProcess::WaitUntilReady(DWORD timeoutMs)
{
    if (!WaitForMainWindow(timeoutMs))
        return false;
    return Poll([this] { return IsWindowVisible(window_) != FALSE; }, timeoutMs) && WaitUntilIdle(timeoutMs);
}

bool ScrivletProcess::WaitUntilIdle(DWORD timeoutMs)
{
    HWND status = Child(105);
    InvalidateRect(status, nullptr, FALSE);
    return Poll([status] { return !GetUpdateRect(status, nullptr, FALSE); }, timeoutMs);
}

std::wstring ScrivletProcess::Title() const
{
    return WindowText(window_);
}

std::wstring ScrivletProcess::EditText() const
{
    HWND edit = Child(106);
    LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return std::wstring(text.data());
}

std::wstring ScrivletProcess::StatusText(int part) const
{
    // Status-bar messages are not marshalled between processes: the buffer has
    // to live in the program's own memory.
    HWND status = Child(105);
    const SIZE_T capacity = 512 * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process_, nullptr, capacity, MEM_COMMIT, PAGE_READWRITE);
    if (!remote)
        return L"<no memory in the program>";
    std::wstring text;
    LRESULT length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
    if (length < 511) {
        SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote));
        std::vector<wchar_t> local(static_cast<size_t>(length) + 1);
        SIZE_T read = 0;
        ReadProcessMemory(process_, remote, local.data(), local.size() * sizeof(wchar_t), &read);
        local.back() = L'\0';
        text = local.data();
    }
    VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
    return text;
}

HWND ScrivletProcess::WaitForDialog(DWORD timeoutMs) const
{
    HWND dialog = nullptr;
    Poll([this, &dialog] { return (dialog = FindProcessDialog(processId_)) != nullptr; }, timeoutMs);
    return dialog;
}

void ScrivletProcess::Close()
{
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

bool ScrivletProcess::WaitForExit(DWORD* exitCode, DWORD timeoutMs)
{
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(process_, exitCode);
    return true;
}
