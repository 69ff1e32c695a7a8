#include "print/printsource.h"

#include "document/documentstate.h"
#include "platform/paths.h"
#include "platform/textbuffer.h"
#include "res/resource.h"

bool CopyDocumentText(HWND mainWindow, std::wstring* text)
{
    LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    if (!locked.get())
        return false;
    *text = locked.get();
    return true;
}

PageValues DocumentPageValues(size_t pageCount)
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
