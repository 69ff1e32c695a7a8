#include "platform/textbuffer.h"

#include <cwchar>

#include "platform/framemessages.h"
#include "res/resource.h"

namespace {

int HandoversPending = 0;

}  // namespace

HLOCAL TextBufferOf(HWND edit)
{
    return reinterpret_cast<HLOCAL>(SendMessageW(edit, EM_GETHANDLE, 0, 0));
}

HLOCAL MakeTextBlock(const wchar_t* text, size_t length)
{
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, (length + 1) * sizeof(wchar_t));
    if (!block)
        return nullptr;
    {
        LockedText locked(block);
        if (locked.get()) {
            wmemcpy(locked.get(), text, length);
            locked.get()[length] = L'\0';
            return block;
        }
    }
    LocalFree(block);
    return nullptr;
}

void HandTextToEdit(HWND mainWindow, HLOCAL newBlock)
{
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    HLOCAL oldBlock = TextBufferOf(edit);
    PostMessageW(edit, EM_LIMITTEXT, 0, 0);
    PostMessageW(edit, WM_SETREDRAW, FALSE, 0);
    PostMessageW(edit, EM_SETHANDLE, reinterpret_cast<WPARAM>(newBlock), 0);
    PostMessageW(edit, WM_SETREDRAW, TRUE, 0);
    // The control reads its current buffer on every message, so the old one may
    // go only after EM_SETHANDLE has been processed: post the release behind it.
    PostMessageW(mainWindow, WM_SCRIVLET_TEXTHANDEDOVER, reinterpret_cast<WPARAM>(oldBlock), 0);
    ++HandoversPending;
}

LRESULT FinishTextHandover(HWND mainWindow, HLOCAL oldBlock)
{
    if (HandoversPending > 0)
        --HandoversPending;
    if (oldBlock)
        LocalFree(oldBlock);
    // Redrawing was off while the buffer changed; show the new text.
    InvalidateRect(GetDlgItem(mainWindow, IDC_EDIT), nullptr, TRUE);
    return 0;
}

int TextHandoversPending()
{
    return HandoversPending;
}
