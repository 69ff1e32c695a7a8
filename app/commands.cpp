#include "app/commands.h"

#include <shellapi.h>

#include "about/aboutdialog.h"
#include "app/editcontrol.h"
#include "document/documentchange.h"
#include "document/documentstate.h"
#include "document/filecommands.h"
#include "document/titlestatus.h"
#include "platform/messages.h"
#include "platform/ownprogram.h"
#include "prefs/appearance.h"
#include "prefs/settingsdialog.h"
#include "prefs/zoom.h"
#include "print/headerfooterdialog.h"
#include "print/pagesetup.h"
#include "print/printdocument.h"
#include "print/printpreview.h"
#include "res/resource.h"
#include "tools/findreplace.h"
#include "tools/gotoline.h"
#include "tools/insertdatetime.h"

namespace {

LRESULT SendToEdit(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam)
{
    SendDlgItemMessageW(mainWindow, IDC_EDIT, message, wParam, lParam);
    return 0;
}

LRESULT SelectAll(HWND mainWindow)
{
    return SendToEdit(mainWindow, EM_SETSEL, 0, GetWindowTextLengthW(GetDlgItem(mainWindow, IDC_EDIT)));
}

LRESULT Undo(HWND mainWindow)
{
    // Wine's edit control reports a change for every undo, even one with
    // nothing to undo, which would mark an untouched document modified.
    if (!SendDlgItemMessageW(mainWindow, IDC_EDIT, EM_CANUNDO, 0, 0))
        return 0;
    return SendToEdit(mainWindow, WM_UNDO, 0, 0);
}

LRESULT InsertTab(HWND mainWindow)
{
    return SendToEdit(mainWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
}

LRESULT MarkModified(HWND mainWindow)
{
    DocumentState.IsModified = 1;
    DocumentChanged(mainWindow);
    return 0;
}

}  // namespace

LRESULT StartNewWindow(HWND mainWindow)
{
    if (!StartOwnProgram(mainWindow, nullptr))
        ShowErrorMessage(L"Failed to start a new Scrivlet process!");
    return 0;
}

LRESULT ShowFileProperties(HWND mainWindow)
{
    static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOW) == 60, "SHELLEXECUTEINFOW must be the 32-bit record");
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    request.fMask = SEE_MASK_INVOKEIDLIST;
    request.hwnd = mainWindow;
    request.lpVerb = L"properties";
    request.lpFile = DocumentState.FilePath;
    if (!ShellExecuteExW(&request))
        ShowErrorMessage(L"Failed to invoke file properties dialog!");
    return 0;
}

LRESULT SaveStateAndQuit(HWND mainWindow)
{
    StoreWindowState(mainWindow);
    // Unsaved changes after Yes (Save As cancelled or declined, a failed
    // write) keep the program running rather than lose them.
    if (SavePromptStep(mainWindow))
        PostQuitMessage(0);
    return 0;
}

LRESULT HandleCommand(HWND mainWindow, WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) == EN_CHANGE)
        return MarkModified(mainWindow);
    switch (LOWORD(wParam)) {
        case IDM_STAYONTOP:
            return ToggleStayOnTop(mainWindow);
        case IDM_NEW:
            return NewDocument(mainWindow);
        case IDM_NEWWINDOW:
            return StartNewWindow(mainWindow);
        case IDM_OPEN:
            return OpenDocument(mainWindow);
        case IDM_SAVE:
            SaveDocument(mainWindow);
            return 0;
        case IDM_SAVEAS:
            return SaveDocumentAs(mainWindow);
        case IDM_PRINT:
            return PrintDocument(mainWindow);
        case IDM_PRINTPREVIEW:
            return ShowPrintPreview(mainWindow);
        case IDM_PAGESETUP:
            return ShowPageSetup(mainWindow);
        case IDM_HEADERFOOTER:
            return ShowHeaderFooterDialog(mainWindow);
        case IDM_EXIT:
            return SaveStateAndQuit(mainWindow);
        case IDM_UNDO:
            return Undo(mainWindow);
        case IDM_CUT:
            return SendToEdit(mainWindow, WM_CUT, 0, 0);
        case IDM_COPY:
            return SendToEdit(mainWindow, WM_COPY, 0, 0);
        case IDM_PASTE:
            return SendToEdit(mainWindow, WM_PASTE, 0, 0);
        case IDM_FINDREPLACE:
            return ShowFindReplaceDialog(mainWindow);
        case IDM_FINDNEXT:
            return FindAgain(mainWindow, false);
        case IDM_FINDPREVIOUS:
            return FindAgain(mainWindow, true);
        case IDM_FORECOLOR:
            return ChooseForeColor(mainWindow);
        case IDM_BACKCOLOR:
            return ChooseBackColor(mainWindow);
        case IDM_FONT:
            return ChooseEditFont(mainWindow);
        case IDM_PROPERTIES:
            return ShowFileProperties(mainWindow);
        case IDM_RECENT1:
        case IDM_RECENT2:
        case IDM_RECENT3:
        case IDM_RECENT4:
            return OpenRecentFile(mainWindow, LOWORD(wParam));
        case IDM_SELECTALL:
            return SelectAll(mainWindow);
        case IDM_INSERTDATETIME:
            return ShowInsertDateTimeDialog(mainWindow);
        case IDM_SETTINGS:
            return ShowSettingsDialog(mainWindow);
        case IDM_GOTOLINE:
            return ShowGoToLineDialog(mainWindow);
        case IDM_WORDWRAP:
            return ToggleWordWrap(mainWindow);
        case IDM_ABOUT:
            return ShowAboutDialog(mainWindow);
        case IDM_TAB:
            return InsertTab(mainWindow);
        case IDM_ZOOMIN:
            return ZoomEdit(mainWindow, 1);
        case IDM_ZOOMOUT:
            return ZoomEdit(mainWindow, -1);
        case IDM_ZOOMRESTORE:
            return ZoomEdit(mainWindow, 0);
        default:
            return 0;
    }
}
