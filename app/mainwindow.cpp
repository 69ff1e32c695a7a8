#include "app/mainwindow.h"

#include <commctrl.h>

#include "app/commands.h"
#include "app/editcontrol.h"
#include "app/startup.h"
#include "app/toolbar.h"
#include "document/backgroundcheck.h"
#include "document/documentchange.h"
#include "document/filecommands.h"
#include "document/outsidechange.h"
#include "document/titlestatus.h"
#include "platform/dpi.h"
#include "platform/framemessages.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "prefs/appearance.h"
#include "prefs/settings.h"
#include "prefs/zoom.h"
#include "recovery/recoveryoffer.h"
#include "recovery/recoverywriter.h"
#include "recovery/sessionend.h"
#include "res/resource.h"

const wchar_t* const kMainWindowClass = L"Scrivlet_Wnd";

namespace {

const int kHelpCapacity = 512;
const WPARAM kHelpPart = 0 | SBT_NOBORDERS;

HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance)
{
    return CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, mainWindow,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)), instance, nullptr);
}

HWND CreateToolbar(HWND mainWindow, HINSTANCE instance)
{
    return CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0, CW_USEDEFAULT,
                           CW_USEDEFAULT, mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR)),
                           instance, nullptr);
}

}  // namespace

int RegisterMainWindowClass(WNDCLASSEXW* windowClass, HBRUSH background, HICON icon)
{
    static_assert(sizeof(void*) != 4 || sizeof(WNDCLASSEXW) == 48, "WNDCLASSEXW must be the 32-bit record");
    ZeroMemory(windowClass, sizeof(*windowClass));
    windowClass->cbSize = sizeof(*windowClass);
    windowClass->style = CS_DBLCLKS;
    windowClass->lpfnWndProc = MainWindowProc;
    windowClass->hInstance = GetModuleHandleW(nullptr);
    windowClass->hIcon = icon;
    windowClass->hIconSm = icon;
    windowClass->hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass->hbrBackground = background;
    windowClass->lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    windowClass->lpszClassName = kMainWindowClass;
    return RegisterClassExW(windowClass) != 0;
}

HWND CreateMainFrame(HINSTANCE instance)
{
    HWND mainWindow = CreateWindowExW(WS_EX_LAYERED, kMainWindowClass, L" Scrivlet", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!mainWindow)
        return nullptr;
    SetBoxOwnerFrame(mainWindow);
    // The recovery copies follow every change of the document.
    SetDocumentChangeHook(RecoveryNoteChange);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    if (!InitCommonControlsEx(&controls))
        return nullptr;
    if (!CreateStatusBar(mainWindow, instance))
        return nullptr;
    HWND toolbar = CreateToolbar(mainWindow, instance);
    if (!toolbar || !SetupToolbar(toolbar))
        return nullptr;
    DWORD wrap = 0;
    GetSettingDword(L"WordWrap", &wrap);
    SetWordWrap(mainWindow, wrap != 0);
    if (!GetDlgItem(mainWindow, IDC_EDIT))
        return nullptr;
    ApplySavedState(mainWindow);
    return mainWindow;
}

int StatusPartEdges(int right, int dpi, bool withNote, bool withZoom, int edges[kStatusPartsMost])
{
    // The encoding part is 100 pixels wide, room for a name with its line ends.
    const int fromRight[5] = {460, 320, 220, 120, 20};
    const int kNoteWidth = 220;
    // Room for "500%": the zoom comes last, after the note, so that the
    // document's parts and the note keep their numbers.
    const int kZoomWidth = 50;
    const int zoomRoom = withZoom ? kZoomWidth : 0;
    const int room = (withNote ? kNoteWidth : 0) + zoomRoom;
    for (int i = 0; i < 5; ++i)
        edges[i] = right - ScaledPixels(fromRight[i] + room, dpi);
    int parts = 5;
    if (withNote)
        edges[parts++] = right - ScaledPixels(fromRight[4] + zoomRoom, dpi);
    if (withZoom)
        edges[parts++] = right - ScaledPixels(fromRight[4], dpi);
    return parts;
}

LRESULT LayoutStatusParts(HWND mainWindow)
{
    RECT main;
    GetClientRect(mainWindow, &main);
    const wchar_t* note = LastingStatusNote();
    const bool zoomed = ZoomPercent != kZoomDefault;
    int edges[kStatusPartsMost];
    const int parts = StatusPartEdges(main.right, ScreenDpi(), note != nullptr, zoomed, edges);
    HWND status = GetDlgItem(mainWindow, IDC_STATUSBAR);
    SendMessageW(status, SB_SETPARTS, parts, reinterpret_cast<LPARAM>(edges));
    if (note)
        SendMessageW(status, SB_SETTEXTW, kLastingNotePart, reinterpret_cast<LPARAM>(note));
    if (zoomed) {
        wchar_t zoom[16];
        FormatZoomText(ZoomPercent, zoom);
        SendMessageW(status, SB_SETTEXTW, parts - 1, reinterpret_cast<LPARAM>(zoom));
    }
    return 0;
}

int StatusIconSize(int dpi)
{
    const int drawn[] = {12, 15, 18, 24};
    return LargestSizeNotAbove(12, dpi, drawn, ARRAYSIZE(drawn));
}

LRESULT LayoutFrame(HWND mainWindow)
{
    // Everything is measured before anything moves, so the edit control is
    // placed by the bars' heights as they were.
    RECT main;
    GetClientRect(mainWindow, &main);
    RECT edit = EditControlRect(mainWindow);
    HWND status = GetDlgItem(mainWindow, IDC_STATUSBAR);
    LayoutStatusParts(mainWindow);
    SendMessageW(status, SB_SETTEXTW, kHelpPart, reinterpret_cast<LPARAM>(L""));
    SendMessageW(status, WM_SIZE, 0, 0);
    SendDlgItemMessageW(mainWindow, IDC_TOOLBAR, TB_AUTOSIZE, 0, 0);
    MoveWindow(GetDlgItem(mainWindow, IDC_EDIT), edit.left, edit.top, edit.right - edit.left, edit.bottom - edit.top,
               TRUE);
    return 0;
}

void ShowHelpText(HWND mainWindow, UINT id)
{
    wchar_t text[kHelpCapacity];
    if (LoadStringW(GetModuleHandleW(nullptr), id, text, kHelpCapacity) == 0) {
        text[0] = L'\0';
    } else {
        wchar_t* lineBreak = wcschr(text, L'\n');
        // A string without a short name is not a help text: keep what is shown.
        if (!lineBreak)
            return;
        *lineBreak = L'\0';
    }
    SendDlgItemMessageW(mainWindow, IDC_STATUSBAR, SB_SETTEXTW, kHelpPart, reinterpret_cast<LPARAM>(text));
}

LRESULT OnMenuSelect(HWND mainWindow, WPARAM wParam)
{
    ShowHelpText(mainWindow, LOWORD(wParam));
    return 0;
}

LRESULT OnNotify(HWND mainWindow, const NMHDR* header)
{
    if (header->code != static_cast<UINT>(TBN_HOTITEMCHANGE))
        return 0;
    const NMTBHOTITEM* hot = reinterpret_cast<const NMTBHOTITEM*>(header);
    if (hot->dwFlags & HICF_MOUSE)
        ShowHelpText(mainWindow, hot->idNew);
    return 0;
}

namespace {

// Coming back to the program: the document's file is checked from the queue,
// never inside this notification, which the system sends while it switches.
LRESULT OnActivateApp(HWND mainWindow, bool active)
{
    if (active)
        PostMessageW(mainWindow, WM_SCRIVLET_CHECKFILE, 0, 0);
    return 0;
}

// The edit control hands a turn of the wheel with Ctrl to its parent.
LRESULT OnMouseWheel(HWND mainWindow, WPARAM wParam, LPARAM lParam)
{
    if (!(GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL))
        return DefWindowProcW(mainWindow, WM_MOUSEWHEEL, wParam, lParam);
    const short delta = GET_WHEEL_DELTA_WPARAM(wParam);
    return delta == 0 ? 0 : ZoomEdit(mainWindow, delta > 0 ? 1 : -1);
}

LRESULT OnTimer(HWND mainWindow, UINT_PTR timer)
{
    if (timer == kRecoveryTimer)
        return StartRecoveryCopy(mainWindow);
    if (timer == kFileCheckTimer)
        return FileCheckTookTooLong(mainWindow);
    RetryFileCheck(mainWindow);
    return UpdateStatusBar(mainWindow, IDI_SAVED, IDI_UNSAVED);
}

LRESULT HandleFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_SIZE:
            return LayoutFrame(window);
        case WM_SETFOCUS:
            SetFocus(GetDlgItem(window, IDC_EDIT));
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_CLOSE:
            return SaveStateAndQuit(window);
        case WM_NOTIFY:
            return OnNotify(window, reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            return HandleCommand(window, wParam, lParam);
        case WM_TIMER:
            return OnTimer(window, wParam);
        case WM_MOUSEWHEEL:
            return OnMouseWheel(window, wParam, lParam);
        case WM_MENUSELECT:
            return OnMenuSelect(window, wParam);
        case WM_CTLCOLOREDIT:
            return reinterpret_cast<LRESULT>(PrepareEditColors(reinterpret_cast<HDC>(wParam)));
        case WM_DROPFILES:
            return OpenDroppedFile(window, reinterpret_cast<HDROP>(wParam));
        case WM_SCRIVLET_TEXTHANDEDOVER:
            return DocumentTextTaken(window, reinterpret_cast<HLOCAL>(wParam));
        case WM_SCRIVLET_SETWORDWRAP:
            return SwitchWordWrap(window, static_cast<int>(wParam));
        case WM_ACTIVATEAPP:
            return OnActivateApp(window, wParam != FALSE);
        case WM_SCRIVLET_CHECKFILE:
            return CheckFileOnReturn(window);
        case WM_SCRIVLET_FILECHECKED:
            return FinishFileCheck(window, lParam);
        case WM_SCRIVLET_RESTOREPLACE:
            return RestoreTextPlace(window);
        case WM_QUERYENDSESSION:
            return OnQueryEndSession(window, lParam);
        case WM_ENDSESSION:
            return OnEndSession(window, wParam != FALSE, lParam);
        case WM_SCRIVLET_COPYROOM:
            return FillRecoveryCopy(window, wParam, lParam);
        case WM_SCRIVLET_COPYWRITTEN:
            return FinishRecoveryCopy(window, wParam, lParam);
        case WM_SCRIVLET_OFFERCOPIES:
            return OfferRecoveryCopies(window, wParam != 0);
        case WM_SCRIVLET_SESSIONKEPT:
            return ExplainSessionKept(window);
        case WM_SCRIVLET_LAYOUTSTATUS:
            return LayoutStatusParts(window);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<LRESULT>(IsUserRequest(message),
                               [&] { return HandleFrameMessage(window, message, wParam, lParam); });
}
