// Insert time/date: the texts for fixed times; the dialog inserting in the real frame.
#include "tools/insertdatetime.h"

#include <gtest/gtest.h>

#include "document/documentstate.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/wait.h"

namespace {

using Texts = std::array<std::wstring, kDateTimeTextCount>;

TEST(DateTimeTextsTest, SevenTextsFromTheTopWithNoonAsPmAndTheProductsFebuary)
{
    EXPECT_EQ(DateTimeTexts(SYSTEMTIME{2026, 12, 5, 25, 15, 7, 9, 0}),
              (Texts{L"12/25/2026", L"Friday, December 25 - 15:07:09", L"December 25, 2026", L"12.25.2026", L"15:07:09",
                     L"Friday, December 25", L"03:07:09 PM - 12/25/2026"}));
    EXPECT_EQ(DateTimeTexts(SYSTEMTIME{2026, 2, 6, 7, 12, 30, 5, 0}),
              (Texts{L"02/07/2026", L"Saturday, Febuary 07 - 12:30:05", L"Febuary 07, 2026", L"02.07.2026", L"12:30:05",
                     L"Saturday, Febuary 07", L"12:30:05 PM - 02/07/2026"}));
    Texts midnight = DateTimeTexts(SYSTEMTIME{2027, 1, 2, 5, 0, 5, 3, 0});
    EXPECT_EQ(midnight[4], L"00:05:03");
    EXPECT_EQ(midnight[6], L"12:05:03 AM - 01/05/2027");
}

using InsertDateTimeDialogTest = FrameTest;

TEST_F(InsertDateTimeDialogTest, ListsTheTimeItOpenedAtAndInsertsTheChoiceUndoably)
{
    SetWindowTextW(edit(), L"abcdef");
    SendMessageW(edit(), EM_SETSEL, 1, 3);
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    ShowInsertDateTimeDialog(window_);
    GetLocalTime(&after);
    HWND dialog = InsertDateTimeDialog, list = GetDlgItem(dialog, IDC_FORMATLIST);
    ASSERT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    Texts shown;
    for (int row = 0; row < kDateTimeTextCount; ++row) {
        wchar_t text[512] = {};
        SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        shown[row] = text;
    }
    EXPECT_TRUE(shown == DateTimeTexts(before) || shown == DateTimeTexts(after)) << "top row: " << shown[0];

    SendMessageW(list, LB_SETCURSEL, 4, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FORMATLIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(EditText(), L"a" + shown[4] + L"def");
    EXPECT_EQ(DocumentState.IsModified, 1);
    EXPECT_FALSE(IsWindowVisible(dialog));
    SendMessageW(edit(), WM_UNDO, 0, 0);
    EXPECT_EQ(EditText(), L"abcdef");
}

}  // namespace
