#include "document/loadprogress.h"

#include <algorithm>

#include "document/loadroom.h"
#include "platform/progresswindow.h"
#include "platform/wholefile.h"
#include "res/resource.h"

namespace {

// Small enough that Cancel answers at once, large enough that the steps
// cost nothing against the read.
const size_t kReadStep = 4u << 20;

}  // namespace

LoadProgress::LoadProgress(HWND mainWindow, ULONGLONG fileSize)
    : mainWindow_(mainWindow),
      window_(fileSize >= kLoadProgressFrom ? OpenProgressWindow(mainWindow, IDD_PROGRESS, L"Opening") : nullptr),
      fileSize_(fileSize)
{
}

LoadProgress::~LoadProgress()
{
    CloseProgressWindow(window_, mainWindow_);
}

bool LoadProgress::Show(const wchar_t* text)
{
    cancelled_ = cancelled_ || ProgressCancelled(window_, text);
    return !cancelled_;
}

bool LoadProgress::Read(HANDLE file, void* data, size_t size)
{
    BYTE* at = static_cast<BYTE*>(data);
    for (size_t left = size; left > 0;) {
        if (window_) {
            wchar_t done[32], whole[32], text[96];
            FormatFileSize(done_, done);
            FormatFileSize(fileSize_, whole);
            wsprintfW(text, L"Reading the file: %s of %s", done, whole);
            if (!Show(text))
                return false;
        }
        const size_t step = window_ ? std::min(left, kReadStep) : left;
        if (!ReadWhole(file, at, step))
            return false;
        at += step;
        left -= step;
        done_ += step;
    }
    return !cancelled_;
}

bool LoadProgress::Converting()
{
    return !window_ || Show(L"Converting the text...");
}
