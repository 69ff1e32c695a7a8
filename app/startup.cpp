#include "app/startup.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "about/aboutdialog.h"
#include "app/mainwindow.h"
#include "app/toolbar.h"
#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/textfile.h"
#include "document/titlestatus.h"
#include "platform/dpi.h"
#include "platform/framemessages.h"
#include "platform/messages.h"
#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "prefs/settings.h"
#include "prefs/settingsdialog.h"
#include "prefs/zoom.h"
#include "print/printerchoice.h"
#include "recovery/recoveryoffer.h"
#include "recovery/recoverywriter.h"
#include "res/resource.h"
#include "tools/findreplace.h"
#include "tools/insertdatetime.h"

namespace {

HICON LoadIconSized(HINSTANCE instance, int id, int size)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HBRUSH CreateEditBackBrush()
{
    COLORREF color = 0;
    if (!GetSettingBinary(L"BackColor", &color, sizeof(color)))
        color = GetSysColor(COLOR_WINDOW);
    return CreateSolidBrush(color);
}

void CleanUp(HWND mainWindow, HICON appIcon, HBRUSH frameBrush)
{
    // Handed-over buffers are never left locked, so freeing is all there is.
    HLOCAL text = TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT));
    if (text)
        LocalFree(text);
    DestroyIcon(appIcon);
    DestroyIcon(IDI_SAVED);
    DestroyIcon(IDI_UNSAVED);
    DeleteObject(frameBrush);
    DeleteObject(EditBackBrush);
    DeleteObject(EditFont);
    DeleteZoomedFont();
    ImageList_Destroy(ToolbarImages);
    KillTimer(mainWindow, kStatusTimer);
    EndRecoveryCopies(mainWindow);
    AboutHyperlink.Release();
    FreePrinterChoice();
}

void AskToBeRestartedAfterUpdates()
{
    // Vista and later start the program again after an update restart, and
    // it then offers its recovery copy; older systems lack the call.
    typedef HRESULT(WINAPI * RegisterRestart)(PCWSTR, DWORD);
    const DWORD kNotAfterCrashOrHang = 1 | 2;  // RESTART_NO_CRASH | RESTART_NO_HANG
    RegisterRestart registerRestart = reinterpret_cast<RegisterRestart>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "RegisterApplicationRestart")));
    if (registerRestart)
        registerRestart(L"", kNotAfterCrashOrHang);
}

}  // namespace

bool IsPlatformSupported(DWORD version)
{
    bool ntFamily = (version & 0x80000000u) == 0;
    return !(ntFamily && LOBYTE(LOWORD(version)) < 5);
}

bool LongPathForOpen(const wchar_t* argument, wchar_t* longPath)
{
    wmemset(longPath, 0, MAX_PATH);
    // A name relative to the current folder is made whole first: the title,
    // the document and the recent list keep it, and are used from elsewhere.
    wchar_t full[MAX_PATH];
    DWORD fullLength = GetFullPathNameW(argument, MAX_PATH, full, nullptr);
    DWORD length = fullLength > 0 && fullLength < MAX_PATH ? GetLongPathNameW(full, longPath, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) {
        longPath[0] = L'\0';
        return false;
    }
    return true;
}

StartRequest OpenCommandLineFile(HWND mainWindow, const wchar_t* commandLine)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments && count > 1 && wcscmp(arguments[1], kRestoreCopySwitch) == 0) {
        // A copy handed over by the process that offered it: it asks nothing.
        wcscpy(DocumentState.FilePath, kUntitled);
        DocumentChanged(mainWindow);
        RestoreHandedCopy(mainWindow, count > 2 ? arguments[2] : L"");
        LocalFree(arguments);
        return StartRequest::HandedCopy;
    }
    const bool fileGiven = arguments && count > 1 && arguments[1];
    if (fileGiven) {
        wchar_t longPath[MAX_PATH];
        bool found = LongPathForOpen(arguments[1], longPath);
        if (found)
            CopyPath(longPath, DocumentState.FilePath);
        if (!found || !Scrivlet_ReadFile(mainWindow, DocumentState.FilePath, &DocumentState.IsModified,
                                         &DocumentState.Format, &DocumentState.Base)) {
            ShowLoadFailure(L"Failed to open that file!");
            wcscpy(DocumentState.FilePath, kUntitled);
            DocumentChanged(mainWindow);
        }
    } else {
        wcscpy(DocumentState.FilePath, kUntitled);
        DocumentChanged(mainWindow);
    }
    LocalFree(arguments);
    return fileGiven ? StartRequest::File : StartRequest::NoFile;
}

int RunMessageLoop(HWND mainWindow)
{
    HACCEL accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (HandleFindKeyInDialog(&message))
            continue;
        if ((FindReplaceDialog || InsertDateTimeDialog || SettingsDialog) &&
            (IsDialogMessageW(FindReplaceDialog, &message) || IsDialogMessageW(InsertDateTimeDialog, &message) ||
             IsDialogMessageW(SettingsDialog, &message)))
            continue;
        if (TranslateAcceleratorW(mainWindow, accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyAcceleratorTable(accelerators);
    return static_cast<int>(message.wParam);
}

int ScrivletMain(HINSTANCE instance)
{
    if (!IsPlatformSupported(GetVersion())) {
        ShowBox(L"Scrivlet requires atleast Windows 2000.", L"Operating System too old", MB_OK | MB_ICONERROR);
        return 0;
    }
    HICON appIcon = LoadIconSized(instance, IDI_APPLICATION_ICON, GetSystemMetrics(SM_CXSMICON));
    HBRUSH frameBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    WNDCLASSEXW windowClass;
    if (!RegisterMainWindowClass(&windowClass, frameBrush, appIcon)) {
        ShowErrorMessage(L"Failed to register main window class.");
        return 1;
    }
    HWND mainWindow = CreateMainFrame(instance);
    if (!mainWindow) {
        ShowErrorMessage(L"Failed to create main window.");
        return 1;
    }
    const StartRequest request = OpenCommandLineFile(mainWindow, GetCommandLineW());
    // Copies that ended processes left are offered once the window shows;
    // the first one restored takes this window when it was given no file.
    if (request != StartRequest::HandedCopy)
        PostMessageW(mainWindow, WM_SCRIVLET_OFFERCOPIES, request == StartRequest::NoFile, 0);
    IDI_SAVED = LoadIconSized(instance, IDI_SAVED_ICON, StatusIconSize(ScreenDpi()));
    IDI_UNSAVED = LoadIconSized(instance, IDI_UNSAVED_ICON, StatusIconSize(ScreenDpi()));
    EditBackBrush = CreateEditBackBrush();
    DragAcceptFiles(mainWindow, TRUE);
    AskToBeRestartedAfterUpdates();
    ShowWindow(mainWindow, SW_SHOW);

    int result = RunMessageLoop(mainWindow);
    CleanUp(mainWindow, appIcon, frameBrush);
    return result;
}
