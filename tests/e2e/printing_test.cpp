// Printing's settings as the real program keeps them from one run to the next.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/wait.h"

namespace {

// Wine's Page Setup takes a while to open in a new prefix.
const DWORD kDialogMs = 30000;
const int kMarginBoxes[] = {edt4, edt5, edt6, edt7};

using PrintingTest = ProgramTest;

// The text of a control of another process.
std::wstring ControlText(HWND control)
{
    wchar_t text[64] = {};
    SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST_F(PrintingTest, PageSetupMarginsSurviveARestart)
{
    // The dialog shows the user's units: inches or millimetres.
    wchar_t measure[2] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 2);
    const wchar_t* typed = measure[0] == L'1' ? L"1.5" : L"35";
    const double chosen = wcstod(typed, nullptr);

    Start();
    program().PostCommand(IDM_PAGESETUP);
    HWND dialog = program().WaitForDialog(kDialogMs);
    ASSERT_NE(GetDlgItem(dialog, edt4), nullptr) << "Page Setup did not open; is the queue PDF there?";
    for (int box : kMarginBoxes)
        SendMessageW(GetDlgItem(dialog, box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
    PressDialogButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilGone(dialog));
    program().PostCommand(IDM_EXIT);
    DWORD exitCode = 1;
    ASSERT_TRUE(program().WaitForExit(&exitCode));

    Start();
    program().PostCommand(IDM_PAGESETUP);
    dialog = program().WaitForDialog(kDialogMs);
    ASSERT_NE(GetDlgItem(dialog, edt4), nullptr) << "Page Setup did not open after the restart";
    std::vector<double> shown;
    for (int box : kMarginBoxes)
        shown.push_back(wcstod(ControlText(GetDlgItem(dialog, box)).c_str(), nullptr));
    PressDialogButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(dialog));
    EXPECT_EQ(shown, std::vector<double>(4, chosen));
}

}  // namespace
