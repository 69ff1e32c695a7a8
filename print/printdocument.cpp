#include "print/printdocument.h"

#include <winspool.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>

#include "document/documentstate.h"
#include "platform/messages.h"
#include "platform/systemlibrary.h"
#include "platform/textbuffer.h"
#include "res/resource.h"

namespace {

const wchar_t kPrintFailed[] = L"Failed to print!";

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

size_t FindLineEnd(const wchar_t* text, size_t from, size_t length)
{
    for (size_t i = from; i + 1 < length; ++i) {
        if (text[i] == L'\r' && text[i + 1] == L'\n')
            return i;
    }
    return length;
}

// Returns 0 for a failure before the first page begins, when nothing printed.
int RunPrintJob(HWND mainWindow)
{
    HDC printerDC = nullptr;
    {
        std::unique_ptr<BYTE[]> printers = LocalPrinters();
        if (!printers)
            return 0;
        printerDC = CreateDCW(nullptr, reinterpret_cast<const PRINTER_INFO_4W*>(printers.get())->pPrinterName, nullptr,
                              nullptr);
    }
    PrinterDC dc(printerDC);
    if (!dc.get())
        return 0;
    TEXTMETRICW font;
    if (!GetTextMetricsW(dc.get(), &font))
        return 0;
    PrintMetrics metrics = {static_cast<int>(font.tmHeight), static_cast<int>(font.tmExternalLeading),
                            static_cast<int>(font.tmAveCharWidth), GetDeviceCaps(dc.get(), HORZRES),
                            GetDeviceCaps(dc.get(), VERTRES)};
    PageLayout layout;
    if (!ComputePageLayout(metrics, &layout))
        return 0;
    LockedText text(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    if (!text.get())
        return 0;

    static_assert(sizeof(void*) != 4 || sizeof(DOCINFOW) == 20, "DOCINFOW must be the 32-bit record");
    DOCINFOW job = {};
    job.cbSize = sizeof(job);
    job.lpszDocName = DocumentState.FilePath;
    // Once the job has begun it runs to its end; later results are not examined.
    StartDocW(dc.get(), &job);
    StartPage(dc.get());
    // The callbacks refer to the job through one reference, so that each fits
    // inside its std::function and making them allocates nothing.
    struct {
        HDC dc;
        int width;
        int pitch;
        int page;
    } run = {dc.get(), metrics.printableWidth, layout.rowPitch, 1};
    PrintPageHeader(run.dc, run.width, DocumentState.FilePath, run.page);
    LayOutText(
        text.get(), wcslen(text.get()), layout,
        [&run](unsigned row, const wchar_t* chars, size_t count) {
            if (count > 0)
                TextOutW(run.dc, 0, static_cast<int>(row) * run.pitch, chars, static_cast<int>(count));
        },
        [&run] {
            EndPage(run.dc);
            StartPage(run.dc);
            PrintPageHeader(run.dc, run.width, DocumentState.FilePath, ++run.page);
        });
    EndPage(dc.get());
    EndDoc(dc.get());
    return 1;
}

}  // namespace

int ComputePageLayout(const PrintMetrics& metrics, PageLayout* layout)
{
    int pitch = metrics.charHeight + metrics.externalLeading;
    if (metrics.averageCharWidth <= 0 || pitch <= 0 || metrics.printableWidth < metrics.averageCharWidth ||
        metrics.printableHeight <= 0)
        return 0;
    // Three rows for header, gap and the first text row, three left empty.
    unsigned rows = static_cast<unsigned>(metrics.printableHeight) / static_cast<unsigned>(pitch);
    if (rows < 6)
        return 0;
    layout->rowPitch = pitch;
    layout->charsPerRow =
        static_cast<unsigned>(metrics.printableWidth) / static_cast<unsigned>(metrics.averageCharWidth);
    layout->pageLimit = rows - 3;
    return 1;
}

void LayOutText(const wchar_t* text, size_t length, const PageLayout& layout, const DrawRowFn& drawRow,
                const NewPageFn& newPage)
{
    const size_t width = layout.charsPerRow;
    unsigned row = kFirstTextRow;
    auto breakPageWhenFull = [&] {
        if (row >= layout.pageLimit) {
            newPage();
            row = kFirstTextRow;
        }
    };
    size_t position = 0;
    do {
        size_t lineEnd = FindLineEnd(text, position, length);
        size_t lineLength = lineEnd - position;
        if (lineLength <= width) {
            drawRow(row++, text + position, lineLength);
            position = lineEnd < length ? lineEnd + 2 : length;
        } else {
            // The number of pieces comes from the whole line; skipped spaces
            // can use the line up early, and a piece never runs past its end.
            for (size_t pieces = lineLength / width; pieces > 0; --pieces) {
                while (position < lineEnd && text[position] == L' ')
                    ++position;
                if (position == lineEnd)
                    break;
                breakPageWhenFull();
                size_t count = std::min(width, lineEnd - position);
                drawRow(row++, text + position, count);
                position += count;
            }
        }
        breakPageWhenFull();
    } while (position < length);
}

int PageHeaderText(const wchar_t* path, int page, wchar_t* text)
{
    text[0] = L'\0';
    // Room for any name FileNameFromPath can return, so none is cut short.
    wchar_t name[kPathCapacity] = {};
    if (FileNameFromPath(path, name, kPathCapacity) != 0)
        return 0;
    return wsprintfW(text, L"%s, page %d", name, page);
}

void PrintPageHeader(HDC dc, int printableWidth, const wchar_t* path, int page)
{
    wchar_t text[kPageHeaderCapacity];
    int length = PageHeaderText(path, page, text);
    if (length <= 0)
        return;
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    TextOutW(dc, printableWidth / 2 - extent.cx / 2, 0, text, length);
}

LRESULT PrintDocument(HWND mainWindow)
{
    if (!RunPrintJob(mainWindow))
        ShowErrorMessage(kPrintFailed);
    return 0;
}
