#include "print/printdocument.h"

#include <winspool.h>

#include <memory>
#include <new>
#include <string>

#include "document/documentstate.h"
#include "platform/dpi.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/systemlibrary.h"
#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "print/pagecodes.h"
#include "print/printlayout.h"
#include "print/printpage.h"
#include "res/resource.h"

namespace {

const wchar_t kPrintFailed[] = L"Failed to print!";
const wchar_t kJobFailed[] = L"Printing failed. Pages sent to the printer: %u of %u.";

// A printer device context, deleted on every return.
class PrinterDC {
public:
    explicit PrinterDC(HDC dc) : dc_(dc) {}
    ~PrinterDC()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A font selected into a device context for the scope, then deleted.
class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : dc_(dc), font_(font), old_(font ? SelectObject(dc, font) : nullptr) {}
    ~SelectedFont()
    {
        if (font_) {
            SelectObject(dc_, old_);
            DeleteObject(font_);
        }
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    HFONT get() const { return font_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

// The spooler's list of local printers; its first record names the printer
// used, whichever is the default. Null when there is none, or the list or the
// printing library cannot be had.
std::unique_ptr<BYTE[]> LocalPrinters()
{
    if (!BindSystemLibrary(SystemLibrary::Printing))
        return nullptr;
    DWORD needed = 0;
    DWORD count = 0;
    system_call::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed < sizeof(PRINTER_INFO_4W))
        return nullptr;
    std::unique_ptr<BYTE[]> records(new (std::nothrow) BYTE[needed]);
    if (!records ||
        !system_call::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, records.get(), needed, &needed, &count) ||
        count == 0 || !reinterpret_cast<const PRINTER_INFO_4W*>(records.get())->pPrinterName)
        return nullptr;
    return records;
}

HDC FirstPrinterDC()
{
    std::unique_ptr<BYTE[]> printers = LocalPrinters();
    if (!printers)
        return nullptr;
    return CreateDCW(nullptr, reinterpret_cast<const PRINTER_INFO_4W*>(printers.get())->pPrinterName, nullptr, nullptr);
}

// The editor's font at the same point size on the printer as on the screen.
HFONT CreatePrinterFont(HDC dc)
{
    LOGFONTW font;
    if (!EditFont || GetObjectW(EditFont, sizeof(font), &font) != sizeof(font))
        return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, GetDeviceCaps(dc, LOGPIXELSY), ScreenDpi());
    font.lfWidth = MulDiv(font.lfWidth, GetDeviceCaps(dc, LOGPIXELSX), ScreenDpi());
    return CreateFontIndirectW(&font);
}

// The selected font's measures; false when the device gives none.
bool MeasureFont(HDC dc, PrintFont* font)
{
    TEXTMETRICW metrics;
    if (!GetTextMetricsW(dc, &metrics))
        return false;
    font->lineHeight = static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading);
    font->tabWidth = 8 * static_cast<int>(metrics.tmAveCharWidth);
    font->widths.assign(0x10000, 0);
    return GetCharWidth32W(dc, 0, 0xFFFF, font->widths.data()) != 0;
}

PaperGeometry PaperOf(HDC dc, int marginLeft, int marginTop, int marginRight, int marginBottom)
{
    int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const int hundredthsPerInch = 2540;
    return PaperGeometry{GetDeviceCaps(dc, PHYSICALWIDTH),
                         GetDeviceCaps(dc, PHYSICALHEIGHT),
                         GetDeviceCaps(dc, PHYSICALOFFSETX),
                         GetDeviceCaps(dc, PHYSICALOFFSETY),
                         GetDeviceCaps(dc, HORZRES),
                         GetDeviceCaps(dc, VERTRES),
                         MulDiv(marginLeft, dpiX, hundredthsPerInch),
                         MulDiv(marginTop, dpiY, hundredthsPerInch),
                         MulDiv(marginRight, dpiX, hundredthsPerInch),
                         MulDiv(marginBottom, dpiY, hundredthsPerInch)};
}

// The values of the header and footer codes that stay the same on every page.
PageValues JobValues(size_t pageCount)
{
    PageValues values = {};
    wchar_t name[kPathCapacity] = {};
    FileNameFromPath(DocumentState.FilePath, name, kPathCapacity);
    values.fileName = name;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[kPathCapacity] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, kPathCapacity);
    values.date = text;
    text[0] = L'\0';
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, kPathCapacity);
    values.time = text;
    values.pageCount = pageCount;
    return values;
}

void ReportJobFailure(size_t sent, size_t pages)
{
    wchar_t text[1024];
    wsprintfW(text, kJobFailed, static_cast<unsigned>(sent), static_cast<unsigned>(pages));
    ShowErrorMessage(text);
}

// Sends every page of layout; a step that fails ends the job with AbortDoc
// and is reported with the count of pages sent before it.
void SendPages(HDC dc, const std::wstring& text, const PrintLayout& layout, const PrintFont& font)
{
    size_t pages = PageCount(layout);
    static_assert(sizeof(void*) != 4 || sizeof(DOCINFOW) == 20, "DOCINFOW must be the 32-bit record");
    DOCINFOW job = {};
    job.cbSize = sizeof(job);
    job.lpszDocName = DocumentState.FilePath;
    if (StartDocW(dc, &job) <= 0) {
        ReportJobFailure(0, pages);
        return;
    }
    PageValues values = JobValues(pages);
    size_t sent = 0;
    for (; sent < pages; ++sent) {
        values.page = sent + 1;
        if (StartPage(dc) <= 0)
            break;
        DrawPage(dc, text.c_str(), layout, font, sent, ExpandPageCodes(kDefaultHeader, values),
                 ExpandPageCodes(kDefaultFooter, values));
        if (EndPage(dc) <= 0)
            break;
    }
    if (sent < pages || EndDoc(dc) <= 0) {
        AbortDoc(dc);
        ReportJobFailure(sent, pages);
    }
}

// Returns 0 for a failure before the job begins, when nothing printed.
int RunPrintJob(HWND mainWindow)
{
    PrinterDC dc(FirstPrinterDC());
    if (!dc.get())
        return 0;
    SelectedFont selected(dc.get(), CreatePrinterFont(dc.get()));
    PrintFont font;
    if (!selected.get() || !MeasureFont(dc.get(), &font))
        return 0;
    // The job works from a copy: while it runs, the control's buffer may be
    // replaced and freed.
    std::wstring text;
    {
        LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
        if (!locked.get())
            return 0;
        text = locked.get();
    }
    PrintLayout layout = LayOutPages(text.c_str(), 0, text.size(), font,
                                     PaperOf(dc.get(), kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin));
    if (layout.rowsPerPage == 0)
        return 0;
    SendPages(dc.get(), text, layout, font);
    return 1;
}

}  // namespace

LRESULT PrintDocument(HWND mainWindow)
{
    int printed = 0;
    try {
        printed = RunPrintJob(mainWindow);
    } catch (const std::bad_alloc&) {
        // The copy and the layout of a document too large for what is left.
    }
    if (!printed)
        ShowErrorMessage(kPrintFailed);
    return 0;
}
