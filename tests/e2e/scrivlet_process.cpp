#include "tests/e2e/scrivlet_process.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "tests/support/wait.h"

namespace {

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

struct ChildSearch {
    const wchar_t* className;
    int id;  // -1: any id
    HWND found;
};

BOOL CALLBACK FindChildProc(HWND window, LPARAM lParam)
{
    ChildSearch* search = reinterpret_cast<ChildSearch*>(lParam);
    if (ClassName(window) == search->className && (search->id < 0 || GetDlgCtrlID(window) == search->id)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The first descendant of parent with that class (and id, unless -1).
HWND FindDescendant(HWND parent, const wchar_t* className, int id)
{
    ChildSearch search = {className, id, nullptr};
    EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct TitledDialogSearch {
    DWORD processId;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindTitledDialogProc(HWND window, LPARAM lParam)
{
    TitledDialogSearch* search = reinterpret_cast<TitledDialogSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && ClassName(window) == L"#32770" &&
        WindowText(window) == *search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct OtherWindowsSearch {
    DWORD processId;
    std::vector<HWND>* found;
};

BOOL CALLBACK FindOtherMainWindowsProc(HWND window, LPARAM lParam)
{
    OtherWindowsSearch* search = reinterpret_cast<OtherWindowsSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId && ClassName(window) == L"Scrivlet_Wnd")
        search->found->push_back(window);
    return TRUE;
}

// Wine takes its key state from the X server whenever one of its windows
// gains the X focus or the pointer, and keys pressed with SendInput, which the
// X server never saw, are up again then. That lands between a shortcut's
// modifier and its key now and then, long after the program looked idle (its
// window just shown, a dialog just closed): Ctrl+N came as "n". Any key that
// SendInput holds down at that moment also makes Wine write the whole key
// state over the program's. So nothing goes through SendInput: the modifiers
// are held in the program's key state, which its accelerator table and
// TranslateMessage read, and the key is posted as the system queues it.
void HoldModifiers(BYTE* state, std::initializer_list<WORD> modifiers, bool down)
{
    for (WORD modifier : modifiers) {
        const WORD left = modifier == VK_CONTROL ? VK_LCONTROL : modifier == VK_SHIFT ? VK_LSHIFT : VK_LMENU;
        for (WORD held : {modifier, left})
            state[held] = down ? state[held] | 0x80 : state[held] & ~0x80;
    }
}

}  // namespace

std::wstring ScrivletExecutable()
{
    // The smoke set's 64-bit driver names the 32-bit program.
    wchar_t named[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"SCRIVLET_PROGRAM", named, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return named;
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

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    return Poll([window] { return !IsWindow(window); }, timeoutMs);
}

bool AcceptFileDialog(HWND dialog, const std::wstring& path, int typeIndex)
{
    // The name box is an Edit inside a ComboBox inside a ComboBoxEx32, all
    // with the same id; OK is the one Button among the controls with id 1.
    HWND nameBox = GetDlgItem(dialog, 0x47c);
    HWND nameEdit = nameBox ? FindDescendant(nameBox, L"Edit", -1) : nullptr;
    HWND ok = FindDescendant(dialog, L"Button", IDOK);
    if (!nameEdit || !ok)
        return false;
    if (typeIndex >= 0) {
        HWND types = GetDlgItem(dialog, 0x470);
        if (!types || SendMessageW(types, CB_SETCURSEL, typeIndex, 0) != typeIndex)
            return false;
        // The dialog takes a new type only from this notification.
        SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), reinterpret_cast<LPARAM>(types),
                            SMTO_NORMAL, 5000, nullptr);
    }
    SendMessageTimeoutW(nameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000, nullptr);
    // Asked for, not read from the window record: an Edit keeps its own text.
    std::vector<wchar_t> typed(path.size() + 2);
    SendMessageTimeoutW(nameEdit, WM_GETTEXT, typed.size(), reinterpret_cast<LPARAM>(typed.data()), SMTO_NORMAL, 5000,
                        nullptr);
    if (path != typed.data())
        return false;
    // Posted: whatever the dialog does next must not block this thread.
    PostMessageW(ok, BM_CLICK, 0, 0);
    return true;
}

std::vector<std::wstring> FileDialogTypes(HWND dialog, int* selected)
{
    std::vector<std::wstring> types;
    *selected = -1;
    HWND list = GetDlgItem(dialog, 0x470);
    DWORD_PTR count = 0, current = 0;
    if (!list || !SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) ||
        !SendMessageTimeoutW(list, CB_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &current))
        return types;
    *selected = static_cast<int>(current);
    for (DWORD_PTR i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(list, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, 5000, &length) && length < 256)
            SendMessageTimeoutW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, nullptr);
        types.push_back(text);
    }
    return types;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    return {WindowText(box), MessageBoxText(box)};
}

ScrivletProcess::ScrivletProcess(const std::wstring& commandTail, const std::wstring& workingFolder,
                                 const std::wstring& executable, const std::wstring& locale)
{
    std::wstring commandLine = L"\"" + (executable.empty() ? ScrivletExecutable() : executable) + L"\"";
    if (!commandTail.empty())
        commandLine += L" " + commandTail;
    const std::vector<HWND> before = locale.empty() ? std::vector<HWND>() : OtherMainWindows();
    if (!locale.empty()) {
        // Wine gives a program the code page of the host locale its starter
        // runs in, whatever the environment block says: so the Wine loader
        // is started as a host program, in that locale. The loader would take
        // WINEDLLDIR0, which the Windows environment holds in its Windows
        // form, for a host path.
        wchar_t loader[MAX_PATH] = {};
        GetEnvironmentVariableW(L"WINELOADER", loader, MAX_PATH);
        commandLine = L"Z:\\usr\\bin\\env -u WINEDLLDIR0 LC_ALL=" + locale + L" " + loader + L" " + commandLine;
    }
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        startError_ = GetLastError();
        return;
    }
    if (info.hThread)
        CloseHandle(info.hThread);
    if (locale.empty()) {
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        return;
    }
    // A host program has no handle here: the program is the one whose main
    // window is new.
    Poll(
        [&] {
            for (HWND window : OtherMainWindows())
                if (std::find(before.begin(), before.end(), window) == before.end())
                    GetWindowThreadProcessId(window, &processId_);
            return processId_ != 0;
        },
        20000);
    process_ = processId_ ? OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId_) : nullptr;
    startError_ = process_ ? 0 : ERROR_NOT_FOUND;
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
    Poll([this] { return (window_ = FindProcessWindow(processId_, L"Scrivlet_Wnd", false)) != nullptr; }, timeoutMs);
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
    // The main window itself, not a child: the status bar repaints at once
    // (UpdateWindow) whenever its text is set, in the middle of a command.
    InvalidateRect(window_, nullptr, FALSE);
    return Poll([this] { return !GetUpdateRect(window_, nullptr, FALSE); }, timeoutMs);
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

HWND ScrivletProcess::WaitForDialogTitled(const std::wstring& caption, DWORD timeoutMs) const
{
    HWND dialog = nullptr;
    Poll(
        [this, &caption, &dialog] {
            TitledDialogSearch search = {processId_, &caption, nullptr};
            EnumWindows(FindTitledDialogProc, reinterpret_cast<LPARAM>(&search));
            dialog = search.found;
            return dialog != nullptr;
        },
        timeoutMs);
    return dialog;
}

bool ScrivletProcess::ShowsNoDialog()
{
    // A dialog that opens is shown before its loop first goes idle.
    return WaitUntilIdle() && FindProcessDialog(processId_) == nullptr;
}

void ScrivletProcess::PostCommand(UINT id)
{
    PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void ScrivletProcess::Type(const std::wstring& text)
{
    HWND edit = Child(106);
    for (wchar_t c : text)
        PostMessageW(edit, WM_CHAR, c, 1);
}

bool ScrivletProcess::PressKeys(std::initializer_list<WORD> modifiers, WORD key)
{
    SetForegroundWindow(window_);
    if (!Poll([this] { return GetForegroundWindow() == window_; }, 5000))
        return false;
    // Attached, this thread shares the program's input state: its key state
    // is the one Get/SetKeyboardState read and write here.
    DWORD self = GetCurrentThreadId(), program = GetWindowThreadProcessId(window_, nullptr);
    if (!AttachThreadInput(self, program, TRUE))
        return false;
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof(focus);
    GetGUIThreadInfo(program, &focus);
    BYTE state[256];
    GetKeyboardState(state);
    HoldModifiers(state, modifiers, true);
    SetKeyboardState(state);
    // Alt without Ctrl makes it a system key.
    const bool system = (state[VK_MENU] & 0x80) && !(state[VK_CONTROL] & 0x80);
    const LPARAM down = (MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16) | 1 | (system ? 1 << 29 : 0);
    HWND target = focus.hwndFocus ? focus.hwndFocus : window_;
    bool taken = PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down) &&
                 PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, key, down | 0xC0000000) && WaitUntilIdle();
    bool held = true;
    for (WORD modifier : modifiers)
        held = held && (GetKeyState(modifier) & 0x8000);
    GetKeyboardState(state);
    HoldModifiers(state, modifiers, false);
    SetKeyboardState(state);
    AttachThreadInput(self, program, FALSE);
    return taken && held;
}

bool ScrivletProcess::ComeBack()
{
    // Another program's window takes the front first, as when the user
    // switches away, and then the program's own gets it back.
    HWND elsewhere = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    // Only the program's own thread knows when it has taken the switch in:
    // without waiting for that, a quick switch back may never reach it.
    const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    auto activeWindow = [thread] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(thread, &info) ? info.hwndActive : nullptr;
    };
    SetForegroundWindow(elsewhere);
    bool away = Poll([&] { return GetForegroundWindow() == elsewhere && activeWindow() == nullptr; }, 5000);
    SetForegroundWindow(window_);
    bool back = Poll([&] { return GetForegroundWindow() == window_ && activeWindow() == window_; }, 5000);
    DestroyWindow(elsewhere);
    return away && back && WaitUntilIdle();
}

void ScrivletProcess::Select(DWORD start, DWORD end)
{
    SendMessageW(Child(106), EM_SETSEL, start, end);
}

void ScrivletProcess::Selection(DWORD* start, DWORD* end) const
{
    SendMessageW(Child(106), EM_GETSEL, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(end));
}

bool ScrivletProcess::DropFiles(const std::vector<std::wstring>& paths)
{
    // A drop handle has to be readable in the program. Under Wine a fixed
    // (pointer) global handle is locked as the pointer itself, so a block in
    // the program's memory serves. It sits well inside its region: the
    // program's DragFinish inspects the bytes in front of it before it
    // refuses to free memory that is not from its heap.
    std::vector<BYTE> block(sizeof(DROPFILES));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    for (const std::wstring& path : paths) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(path.c_str());
        block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
    }
    block.resize(block.size() + sizeof(wchar_t), 0);
    const SIZE_T offset = 0x1000;
    const SIZE_T regionSize = offset + block.size();
    BYTE* region =
        static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, regionSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!region)
        return false;
    if (!WriteProcessMemory(process_, region + offset, block.data(), block.size(), nullptr))
        return false;
    return PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(region + offset), 0) != FALSE;
}

std::vector<HWND> ScrivletProcess::OtherMainWindows() const
{
    std::vector<HWND> windows;
    OtherWindowsSearch search = {processId_, &windows};
    EnumWindows(FindOtherMainWindowsProc, reinterpret_cast<LPARAM>(&search));
    return windows;
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
