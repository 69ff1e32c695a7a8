#include "platform/messages.h"

const wchar_t* const kErrorCaption = L"Scrivlet v2.0 - Error";
const wchar_t* const kPromptCaption = L"Scrivlet 2.0";

namespace {

HWND BoxFrame = nullptr;

bool ProgramInFront()
{
    DWORD process = 0;
    HWND front = GetForegroundWindow();
    if (front)
        GetWindowThreadProcessId(front, &process);
    return process == GetCurrentProcessId();
}

}  // namespace

void SetBoxOwnerFrame(HWND mainWindow)
{
    BoxFrame = mainWindow;
}

HWND BoxOwner()
{
    if (!BoxFrame || !IsWindow(BoxFrame))
        return nullptr;
    // The thread's active window is null while another program is in front;
    // the popup last active (a modal dialog, the find dialog) is then where
    // the user left off.
    HWND active = GetActiveWindow();
    return active ? active : GetLastActivePopup(BoxFrame);
}

int ShowBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
    HWND owner = BoxOwner();
    if (owner && !ProgramInFront()) {
        FLASHWINFO flash = {sizeof(flash), BoxFrame, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    return MessageBoxW(owner, text, caption, type);
}

void ShowErrorMessage(const wchar_t* text)
{
    ShowBox(text, kErrorCaption, MB_OK | MB_ICONERROR);
}

int AskUser(const wchar_t* text, UINT buttons)
{
    return ShowBox(text, kPromptCaption, MB_ICONWARNING | buttons);
}
