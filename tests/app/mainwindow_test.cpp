// The main window's frame: the layout of its three children on every resize,
// and the one-line help that status part 0 shows for menus and toolbar.
#include "app/mainwindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/titlestatus.h"
#include "recovery/recoverywriter.h"
#include "res/resource.h"
#include "tests/app/frame_checks.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/wait.h"

namespace {

struct HelpText {
    UINT id;
    const wchar_t* text;
};

const HelpText kHelpTexts[] = {
    {39999, L"Toggles stay on top"},
    {40001, L"Creates a new blank document."},
    {40002, L"Creates a new Scrivlet window."},
    {40003, L"Open a file from disk."},
    {40004, L"Save the working document."},
    {40005, L"Save working document as..."},
    {40006, L"Print the current document"},
    {40007, L"Close Scrivlet, prompts to save changes."},
    {40008, L"Undo last action"},
    {40009, L"Cuts the current selection out of the document and places it on the clipboard."},
    {40010, L"Copies the current selection to the clipboard."},
    {40011, L"Places the contents of the clipboard at the caret."},
    {40012, L"Find/Replace in document"},
    {40014, L"Changes forecolor of text in document"},
    {40015, L"Change background color of document"},
    {40016, L"Change font used to display document"},
    {40017, L"Display file properties"},
    {40023, L"Selects all text in the current document"},
    {40024, L"Inserts the current time/date into the document"},
    {40025, L"Displays the Scrivlet settings dialog"},
    {40026, L"Jumps to specified line in document"},
    {40027, L"Toggles word wrapping in document"},
    {40030, L"Finds the next occurrence of the last find text"},
    {40031, L"Finds the previous occurrence of the last find text"},
    {40032, L"Shows the text larger"},
    {40033, L"Shows the text smaller"},
    {40034, L"Shows the text at its normal size"},
};

const wchar_t kPrevious[] = L"previous help";

class MainWindowTest : public FrameTest {
protected:
    void ResizeClientTo(int width, int height)
    {
        RECT outer, client;
        GetWindowRect(window_, &outer);
        GetClientRect(window_, &client);
        int extraWidth = (outer.right - outer.left) - client.right;
        int extraHeight = (outer.bottom - outer.top) - client.bottom;
        SetWindowPos(window_, nullptr, 0, 0, width + extraWidth, height + extraHeight, SWP_NOZORDER | SWP_NOMOVE);
        PumpMessages();
    }
    int ClientRight() const
    {
        RECT client;
        GetClientRect(window_, &client);
        return client.right;
    }
    std::vector<int> PartEdges() const
    {
        std::vector<int> edges(8, 12345);
        int count = static_cast<int>(SendDlgItemMessageW(window_, IDC_STATUSBAR, SB_GETPARTS, edges.size(),
                                                         reinterpret_cast<LPARAM>(edges.data())));
        edges.resize(count);
        return edges;
    }
    std::wstring HelpPart() const { return StatusPartText(window_, 0); }
    void MenuSelect(WORD low, WORD flags, HMENU menu)
    {
        SendMessageW(window_, WM_MENUSELECT, MAKEWPARAM(low, flags), reinterpret_cast<LPARAM>(menu));
    }
    HWND toolbar() const { return GetDlgItem(window_, IDC_TOOLBAR); }
    void ExpectEditBetweenBars()
    {
        RECT client;
        GetClientRect(window_, &client);
        RECT edit = RectInParent(this->edit());
        // The toolbar's client height: its divider line above is not counted.
        RECT tools;
        GetClientRect(toolbar(), &tools);
        RECT status = RectInParent(GetDlgItem(window_, IDC_STATUSBAR));
        EXPECT_EQ(edit.left, 0);
        EXPECT_EQ(edit.right, client.right);
        EXPECT_GT(tools.bottom, 0);
        EXPECT_EQ(edit.top, tools.bottom) << "the edit control does not start below the toolbar";
        EXPECT_EQ(edit.bottom, status.top) << "the edit control does not end above the status bar";
        EXPECT_EQ(status.bottom, client.bottom);
    }
};

TEST_F(MainWindowTest, StatusPartsAreMeasuredFromTheRightEdge)
{
    ResizeClientTo(900, 500);
    int right = ClientRight();
    ASSERT_EQ(right, 900);
    std::vector<int> expected = {right - 460, right - 320, right - 220, right - 120, right - 20};
    EXPECT_EQ(PartEdges(), expected);
}

TEST_F(MainWindowTest, ALastingNoteHasAPartOfItsOwnThatHoldsItsTextWhileItIsUp)
{
    ResizeClientTo(900, 500);
    ShowLastingStatusNote(window_, kCopyFailedNote);
    ASSERT_EQ(PartEdges().size(), 6u);
    EXPECT_EQ(StatusPartText(window_, kLastingNotePart), kCopyFailedNote);
    // The status bar's own font, and the room its borders leave.
    HWND status = GetDlgItem(window_, IDC_STATUSBAR);
    RECT part;
    SendMessageW(status, SB_GETRECT, kLastingNotePart, reinterpret_cast<LPARAM>(&part));
    int borders[3] = {};
    SendMessageW(status, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    HDC dc = GetDC(status);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
    SIZE text = {};
    GetTextExtentPoint32W(dc, kCopyFailedNote, static_cast<int>(wcslen(kCopyFailedNote)), &text);
    SelectObject(dc, font);
    ReleaseDC(status, dc);
    EXPECT_LE(text.cx + 2 * borders[2] + 6, part.right - part.left) << "the note is clipped";

    ShowLastingStatusNote(window_, nullptr);
    EXPECT_EQ(PartEdges().size(), 5u);
}

TEST_F(MainWindowTest, StatusPartsOfANarrowWindowAreNotClamped)
{
    ResizeClientTo(460, 400);
    ASSERT_EQ(ClientRight(), 460);
    EXPECT_EQ(PartEdges(), (std::vector<int>{0, 140, 240, 340, 440}));

    ResizeClientTo(300, 400);
    int right = ClientRight();
    ASSERT_EQ(right, 300);
    EXPECT_EQ(PartEdges(), (std::vector<int>{-160, -20, 80, 180, 280}));
}

TEST_F(MainWindowTest, EveryResizeClearsThePartZeroHelp)
{
    const int widths[] = {700, 350, 900};
    for (int width : widths) {
        SetStatusPartText(window_, 0, kPrevious);
        ASSERT_EQ(HelpPart(), kPrevious);
        ResizeClientTo(width, 400);
        EXPECT_EQ(HelpPart(), L"") << "after resizing to " << width;
    }
    // The message parameters play no part: start-up sends 0 and 0.
    SetStatusPartText(window_, 0, kPrevious);
    SendMessageW(window_, WM_SIZE, 0, 0);
    EXPECT_EQ(HelpPart(), L"");
}

TEST_F(MainWindowTest, TheEditControlFillsTheSpaceBetweenToolbarAndStatusBar)
{
    ExpectEditBetweenBars();
    ResizeClientTo(640, 480);
    ExpectEditBetweenBars();
    ResizeClientTo(320, 200);
    ExpectEditBetweenBars();
    ResizeClientTo(1000, 700);
    ExpectEditBetweenBars();
    // A control made later by the word-wrap switch takes the same place.
    SendMessageW(window_, WM_COMMAND, IDM_WORDWRAP, 0);
    ExpectEditBetweenBars();
}

TEST_F(MainWindowTest, HighlightedMenuItemsShowTheirHelpText)
{
    for (const HelpText& help : kHelpTexts) {
        SetStatusPartText(window_, 0, kPrevious);
        MenuSelect(static_cast<WORD>(help.id), MF_HILITE, GetMenu(window_));
        EXPECT_EQ(HelpPart(), help.text) << "for command " << help.id;
    }
}

TEST_F(MainWindowTest, AboutWithoutLineBreakLeavesThePreviousHelp)
{
    SetStatusPartText(window_, 0, kPrevious);
    MenuSelect(IDM_ABOUT, MF_HILITE, GetSubMenu(GetMenu(window_), 3));
    EXPECT_EQ(HelpPart(), kPrevious);
}

TEST_F(MainWindowTest, PopupTitlesClosingAndIdsWithoutStringClearTheHelp)
{
    HMENU menu = GetMenu(window_);
    for (WORD position = 0; position < 4; ++position) {
        SetStatusPartText(window_, 0, kPrevious);
        MenuSelect(position, MF_POPUP | MF_HILITE, menu);
        EXPECT_EQ(HelpPart(), L"") << "popup " << position;
    }
    SetStatusPartText(window_, 0, kPrevious);
    SendMessageW(window_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(HelpPart(), L"") << "closing the menu";

    const WORD withoutString[] = {IDM_RECENT1, IDM_RECENT2, IDM_RECENT3, IDM_RECENT4, IDM_RECENTEMPTY, IDM_TAB, 39998};
    for (WORD id : withoutString) {
        SetStatusPartText(window_, 0, kPrevious);
        MenuSelect(id, MF_HILITE, GetSubMenu(menu, 0));
        EXPECT_EQ(HelpPart(), L"") << "command " << id;
    }
}

TEST_F(MainWindowTest, HelpNeverReachesTheOtherStatusParts)
{
    const int others[] = {1, 2, 3, 4};
    std::vector<std::wstring> before;
    for (int part : others)
        before.push_back(StatusPartText(window_, part));
    MenuSelect(IDM_OPEN, MF_HILITE, GetMenu(window_));
    ResizeClientTo(500, 300);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(StatusPartText(window_, others[i]), before[i]) << "part " << others[i];
    int type = HIWORD(SendDlgItemMessageW(window_, IDC_STATUSBAR, SB_GETTEXTLENGTHW, 0, 0));
    EXPECT_EQ(type & SBT_NOBORDERS, SBT_NOBORDERS);
}

// A point in the middle of the toolbar button at the given position.
LPARAM ButtonCentre(HWND toolbar, int position)
{
    RECT rect = {};
    SendMessageW(toolbar, TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

TEST_F(MainWindowTest, MouseOverAToolbarButtonShowsItsHelpText)
{
    struct {
        int position;
        const wchar_t* text;
    } buttons[] = {
        {0, L"Creates a new blank document."},
        {1, L"Open a file from disk."},
        {2, L"Save the working document."},
        {3, L"Print the current document"},
        {5, L"Cuts the current selection out of the document and places it on the clipboard."},
        {6, L"Copies the current selection to the clipboard."},
        {7, L"Places the contents of the clipboard at the caret."},
        {9, L"Find/Replace in document"},
        {10, L"Toggles stay on top"},
    };
    for (const auto& button : buttons) {
        SetStatusPartText(window_, 0, kPrevious);
        SendMessageW(toolbar(), WM_MOUSEMOVE, 0, ButtonCentre(toolbar(), button.position));
        PumpMessages();
        EXPECT_EQ(HelpPart(), button.text) << "button at position " << button.position;
    }
}

TEST_F(MainWindowTest, KeyboardHotItemChangesLeaveTheHelpAlone)
{
    SendMessageW(toolbar(), WM_MOUSEMOVE, 0, ButtonCentre(toolbar(), 1));
    ASSERT_EQ(SendMessageW(toolbar(), TB_GETHOTITEM, 0, 0), 1);
    SetStatusPartText(window_, 0, kPrevious);

    SendMessageW(toolbar(), WM_KEYDOWN, VK_RIGHT, 0);
    PumpMessages();
    ASSERT_EQ(SendMessageW(toolbar(), TB_GETHOTITEM, 0, 0), 2) << "the arrow key did not move the hot item";
    EXPECT_EQ(HelpPart(), kPrevious);

    SendMessageW(toolbar(), TB_SETHOTITEM, 5, 0);
    ASSERT_EQ(SendMessageW(toolbar(), TB_GETHOTITEM, 0, 0), 5);
    EXPECT_EQ(HelpPart(), kPrevious);
}

TEST_F(MainWindowTest, OtherNotificationsAreIgnored)
{
    SetStatusPartText(window_, 0, kPrevious);
    NMTBHOTITEM hot = {};
    hot.hdr.hwndFrom = toolbar();
    hot.hdr.idFrom = IDC_TOOLBAR;
    hot.idNew = IDM_OPEN;
    hot.dwFlags = HICF_MOUSE;
    const UINT codes[] = {static_cast<UINT>(TBN_DROPDOWN), static_cast<UINT>(TTN_GETDISPINFOW),
                          static_cast<UINT>(NM_CLICK)};
    for (UINT code : codes) {
        hot.hdr.code = code;
        EXPECT_EQ(SendMessageW(window_, WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&hot)), 0);
        EXPECT_EQ(HelpPart(), kPrevious) << "notification " << static_cast<int>(code);
    }
    hot.hdr.code = static_cast<UINT>(TBN_HOTITEMCHANGE);
    SendMessageW(window_, WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
    EXPECT_EQ(HelpPart(), L"Open a file from disk.");
}

TEST_F(MainWindowTest, FocusGivenToTheMainWindowGoesToTheEditControl)
{
    SetFocus(toolbar());
    SendMessageW(window_, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), edit());
}

TEST_F(MainWindowTest, TheClassCarriesMenuCursorAndDoubleClicks)
{
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kMainWindowClass, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(info.lpfnWndProc, MainWindowProc);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(info.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(info.lpszMenuName, MAKEINTRESOURCEW(IDR_MAINMENU));
    EXPECT_NE(GetMenu(window_), nullptr);
}

}  // namespace
