#include "tools/insertdatetime.h"

#include <shlwapi.h>

#include <cstdarg>

#include "platform/guard.h"
#include "platform/messages.h"
#include "res/resource.h"

HWND InsertDateTimeDialog = nullptr;

namespace {

const int kTextCapacity = 512;

// wvsprintfW-style formatting, cut at the 512-character text buffer.
std::wstring Formatted(const wchar_t* format, ...)
{
    wchar_t buffer[kTextCapacity] = {};
    va_list arguments;
    va_start(arguments, format);
    wvnsprintfW(buffer, kTextCapacity, format, arguments);
    va_end(arguments);
    return buffer;
}

void FillDateTimeList(HWND dialog)
{
    // One reading for all seven texts, so that they never disagree about the
    // second (or the day) they show.
    SYSTEMTIME now;
    GetLocalTime(&now);
    HWND list = GetDlgItem(dialog, IDC_FORMATLIST);
    const auto texts = DateTimeTexts(now);
    // LB_INSERTSTRING places each text where asked, sort style or not.
    for (int row = 0; row < kDateTimeTextCount; ++row)
        SendMessageW(list, LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(texts[row].c_str()));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void InsertSelectedDateTime(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_FORMATLIST);
    LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR || SendMessageW(list, LB_GETTEXTLEN, row, 0) >= kTextCapacity) {
        MessageBeep(MB_OK);
        return;
    }
    wchar_t text[kTextCapacity] = {};
    SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    HWND edit = GetDlgItem(GetParent(dialog), IDC_EDIT);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    SetFocus(edit);
    EndDialog(dialog, 0);
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
        case IDOK:
            InsertSelectedDateTime(dialog);
            break;
        case IDC_FORMATLIST:
            if (HIWORD(wParam) == LBN_DBLCLK)
                InsertSelectedDateTime(dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
    }
}

INT_PTR InsertDateTimeMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
        case WM_INITDIALOG:
            FillDateTimeList(dialog);
            break;
        case WM_COMMAND:
            OnCommand(dialog, wParam);
            break;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            break;
    }
    return FALSE;
}

INT_PTR CALLBACK InsertDateTimeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunGuarded<INT_PTR>(IsUserRequest(message),
                               [&] { return InsertDateTimeMessage(dialog, message, wParam, lParam); });
}

}  // namespace

const wchar_t* DayName(int dayOfWeek)
{
    static const wchar_t* const names[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                           L"Thursday", L"Friday", L"Saturday"};
    return dayOfWeek >= 0 && dayOfWeek <= 6 ? names[dayOfWeek] : L"";
}

const wchar_t* MonthName(int month)
{
    // "Febuary" is the product's own spelling, kept in every text it shows.
    static const wchar_t* const names[] = {L"January", L"Febuary", L"March",     L"April",   L"May",      L"June",
                                           L"July",    L"August",  L"September", L"October", L"November", L"December"};
    return month >= 1 && month <= 12 ? names[month - 1] : L"";
}

std::array<std::wstring, kDateTimeTextCount> DateTimeTexts(const SYSTEMTIME& time)
{
    const int hour = time.wHour, minute = time.wMinute, second = time.wSecond;
    const int day = time.wDay, month = time.wMonth, year = time.wYear;
    // Midnight is 12 AM and noon 12 PM.
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const wchar_t* suffix = hour < 12 ? L"AM" : L"PM";
    const wchar_t* dayName = DayName(time.wDayOfWeek);
    const wchar_t* monthName = MonthName(month);
    return {
        Formatted(L"%02d/%02d/%04d", month, day, year),
        Formatted(L"%s, %s %02d - %02d:%02d:%02d", dayName, monthName, day, hour, minute, second),
        Formatted(L"%s %02d, %04d", monthName, day, year),
        Formatted(L"%02d.%02d.%02d", month, day, year),
        Formatted(L"%02d:%02d:%02d", hour, minute, second),
        Formatted(L"%s, %s %02d", dayName, monthName, day),
        Formatted(L"%02d:%02d:%02d %s - %02d/%02d/%04d", hour12, minute, second, suffix, month, day, year),
    };
}

LRESULT ShowInsertDateTimeDialog(HWND mainWindow)
{
    HWND dialog = IsWindow(mainWindow)
                      ? CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INSERTDATETIME), mainWindow,
                                           InsertDateTimeProc, 0)
                      : nullptr;
    if (!dialog) {
        ShowErrorMessage(L"Failed to create time/date insertion dialog!");
        return 0;
    }
    ShowWindow(dialog, SW_SHOW);
    InsertDateTimeDialog = dialog;
    return 0;
}
