// The edit control's text buffer: a movable block of UTF-16 code units ending
// in one zero unit, read in place and replaced whole.
#pragma once
#include <windows.h>

#include <cstddef>

// A movable block locked for as long as this lives; get() is null when the
// block is missing or cannot be locked.
class LockedText {
public:
    explicit LockedText(HLOCAL block) : block_(block), text_(block ? static_cast<wchar_t*>(LocalLock(block)) : nullptr)
    {
    }
    ~LockedText()
    {
        if (text_)
            LocalUnlock(block_);
    }
    LockedText(const LockedText&) = delete;
    LockedText& operator=(const LockedText&) = delete;
    wchar_t* get() const { return text_; }

private:
    HLOCAL block_;
    wchar_t* text_;
};

// The buffer of an edit control (EM_GETHANDLE); it belongs to the program
// from then on.
HLOCAL TextBufferOf(HWND edit);

// A new movable block holding length code units of text and a terminator,
// ready to be handed to an edit control; null when it cannot be had.
HLOCAL MakeTextBlock(const wchar_t* text, size_t length);

// Queues newBlock (movable, zero-terminated UTF-16) as the buffer of the main
// window's edit control. The control takes it when the message loop next
// runs; the buffer it had until then is freed after that.
void HandTextToEdit(HWND mainWindow, HLOCAL newBlock);
// Frees the block the control used before, once it has taken the new one
// (WM_SCRIVLET_TEXTHANDEDOVER).
LRESULT FinishTextHandover(HWND mainWindow, HLOCAL oldBlock);
// Blocks handed over that the control has not taken yet.
int TextHandoversPending();
