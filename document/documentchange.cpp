#include "document/documentchange.h"

#include "document/titlestatus.h"
#include "platform/textbuffer.h"

namespace {

uint64_t ChangeCount = 0;
DocumentChangeHook ChangeHook = nullptr;

void Count(HWND mainWindow)
{
    ++ChangeCount;
    if (ChangeHook)
        ChangeHook(mainWindow);
}

}  // namespace

uint64_t DocumentChangeCount()
{
    return ChangeCount;
}

void DocumentChanged(HWND mainWindow)
{
    RefreshTitleAndStatus(mainWindow);
    // The control still shows the text before a block on its way: counting
    // now would let a copy of that text pass for the new one.
    if (!TextHandoversPending())
        Count(mainWindow);
}

LRESULT DocumentTextTaken(HWND mainWindow, HLOCAL oldBlock)
{
    FinishTextHandover(mainWindow, oldBlock);
    Count(mainWindow);
    return 0;
}

void SetDocumentChangeHook(DocumentChangeHook hook)
{
    ChangeHook = hook;
}
