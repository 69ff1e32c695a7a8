#include "print/printdocument.h"

#include <commdlg.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "document/documentstate.h"
#include "platform/messages.h"
#include "platform/progresswindow.h"
#include "platform/systemlibrary.h"
#include "print/pagecodes.h"
#include "print/pagesetup.h"
#include "print/printdevice.h"
#include "print/printerchoice.h"
#include "print/printlayout.h"
#include "print/printpage.h"
#include "print/printsource.h"
#include "res/resource.h"

namespace {

const wchar_t kPrintFailed[] = L"Failed to print!";
const wchar_t kJobFailed[] = L"Printing failed. Pages sent to the printer: %u of %u.";

void ReportJobFailure(size_t sent, size_t pages)
{
    wchar_t text[1024];
    wsprintfW(text, kJobFailed, static_cast<unsigned>(sent), static_cast<unsigned>(pages));
    ShowErrorMessage(text);
}

// Sends pages of layout under the progress window; Cancel there ends the job
// with AbortDoc. A step that fails ends it the same way and is reported with
// the count of pages sent before it.
void SendPages(HWND mainWindow, HDC dc, const std::wstring& text, const PrintLayout& layout, const PrintFont& font,
               const std::vector<size_t>& pages)
{
    static_assert(sizeof(void*) != 4 || sizeof(DOCINFOW) == 20, "DOCINFOW must be the 32-bit record");
    DOCINFOW job = {};
    job.cbSize = sizeof(job);
    job.lpszDocName = DocumentState.FilePath;
    if (StartDocW(dc, &job) <= 0) {
        ReportJobFailure(0, pages.size());
        return;
    }
    PageValues values = DocumentPageValues(PageCount(layout));
    std::wstring header = StoredHeader();
    std::wstring footer = StoredFooter();
    HWND progress = OpenProgressWindow(mainWindow, IDD_PROGRESS, L"Printing");
    bool cancelled = false;
    size_t sent = 0;
    for (; sent < pages.size(); ++sent) {
        wchar_t progressText[64];
        wsprintfW(progressText, L"Printing page %u of %u", static_cast<unsigned>(sent + 1),
                  static_cast<unsigned>(pages.size()));
        cancelled = ProgressCancelled(progress, progressText);
        if (cancelled)
            break;
        values.page = pages[sent] + 1;
        if (StartPage(dc) <= 0)
            break;
        DrawPage(dc, text.c_str(), layout, font, pages[sent], ExpandPageCodes(header, values),
                 ExpandPageCodes(footer, values));
        if (EndPage(dc) <= 0)
            break;
    }
    CloseProgressWindow(progress, mainWindow);
    if (cancelled) {
        AbortDoc(dc);
    } else if (sent < pages.size() || EndDoc(dc) <= 0) {
        AbortDoc(dc);
        ReportJobFailure(sent, pages.size());
    }
}

// The Print dialog over the last printer chosen, with the selection offered
// when there is one. False for Cancel and for a dialog that could not open,
// which reports itself.
bool AskForJob(HWND mainWindow, bool hasSelection, PRINTDLGW* dialog)
{
    static_assert(sizeof(void*) != 4 || sizeof(PRINTDLGW) == 66, "PRINTDLGW must be the 32-bit record");
    *dialog = PRINTDLGW{};
    dialog->lStructSize = sizeof(*dialog);
    dialog->hwndOwner = mainWindow;
    dialog->hDevMode = PrinterDevMode;
    dialog->hDevNames = PrinterDevNames;
    dialog->Flags =
        PD_RETURNDC | PD_NOWARNING | PD_USEDEVMODECOPIESANDCOLLATE | PD_ALLPAGES | (hasSelection ? 0 : PD_NOSELECTION);
    // The page count is known only once the chosen printer has laid the text
    // out, so any range may be asked for; pages past the end are not sent.
    dialog->nFromPage = 1;
    dialog->nToPage = 1;
    dialog->nMinPage = 1;
    dialog->nMaxPage = 0xFFFF;
    dialog->nCopies = 1;
    BOOL chosen = system_call::PrintDlgW(dialog);
    KeepPrinterChoice(dialog->hDevMode, dialog->hDevNames);
    if (!chosen && system_call::CommDlgExtendedError() != 0)
        ShowErrorMessage(kPrintFailed);
    return chosen != FALSE;
}

// Prints what the dialog chose; returns 0 for a failure before the job
// begins, when nothing printed.
int RunPrintJob(HWND mainWindow, const PRINTDLGW& dialog, DWORD selectionStart, DWORD selectionEnd)
{
    PrinterDC dc(dialog.hDC);
    if (!dc.get())
        return 0;
    SelectedFont selected(dc.get(), CreatePrinterFont(dc.get()));
    PrintFont font;
    if (!selected.get() || !MeasureFont(dc.get(), &font))
        return 0;
    // The job works from a copy: while it runs, the control's buffer may be
    // replaced and freed.
    std::wstring text;
    if (!CopyDocumentText(mainWindow, &text))
        return 0;
    bool selection = (dialog.Flags & PD_SELECTION) != 0;
    size_t begin = selection ? std::min<size_t>(selectionStart, text.size()) : 0;
    size_t end = selection ? std::min<size_t>(selectionEnd, text.size()) : text.size();
    PrintLayout layout = LayOutPages(text.c_str(), begin, end, font, PaperOf(dc.get(), StoredMargins()));
    if (layout.rowsPerPage == 0)
        return 0;
    bool range = (dialog.Flags & PD_PAGENUMS) != 0;
    size_t pageCount = PageCount(layout);
    SendPages(mainWindow, dc.get(), text, layout, font,
              PagesToSend(pageCount, range ? dialog.nFromPage : 1, range ? dialog.nToPage : pageCount, dialog.nCopies,
                          (dialog.Flags & PD_COLLATE) != 0));
    return 1;
}

}  // namespace

LRESULT PrintDocument(HWND mainWindow)
{
    if (!BindSystemLibraryOrReport(SystemLibrary::CommonDialogs))
        return 0;
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    SendDlgItemMessageW(mainWindow, IDC_EDIT, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                        reinterpret_cast<LPARAM>(&selectionEnd));
    if (!LoadStoredPrinterSettings()) {
        ShowErrorMessage(kPrintFailed);
        return 0;
    }
    PRINTDLGW dialog;
    if (!AskForJob(mainWindow, selectionEnd > selectionStart, &dialog))
        return 0;
    int printed = 0;
    try {
        printed = RunPrintJob(mainWindow, dialog, selectionStart, selectionEnd);
    } catch (const std::bad_alloc&) {
        // The copy and the layout of a document too large for what is left.
    }
    if (!printed)
        ShowErrorMessage(kPrintFailed);
    return 0;
}
