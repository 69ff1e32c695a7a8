// The edit control's word-wrap switch and the stay-on-top state, on the real
// frame: what the user keeps, what the marks show, what is stored.
#include "app/editcontrol.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "document/documentstate.h"
#include "document/titlestatus.h"
#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "res/resource.h"
#include "tests/app/frame_checks.h"
#include "tests/support/address_space.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/registry_reset.h"
#include "tests/support/wait.h"

namespace {

const std::wstring kLetter =
    L"Dear reader,\r\n\r\nthis line is long enough to be wrapped in a narrow window, and it carries "
    L"\x00FC\x00E9\x20AC and a\ttab.\r\n\r\n\r\n  indented\r\nlast line without a break";

class EditControlTest : public FrameTest {
protected:
    void Type(const std::wstring& text)
    {
        SendMessageW(edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        PumpMessages();
    }
    bool Modified() const { return DocumentState.IsModified != 0; }
    bool TitleMarked() const { return WindowText(window_).find(L'*') != std::wstring::npos; }
    bool OnTop() const { return (GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    bool OnTopButtonPressed() const
    {
        return SendDlgItemMessageW(window_, IDC_TOOLBAR, TB_ISBUTTONCHECKED, IDM_STAYONTOP, 0) != 0;
    }
    void Command(UINT id)
    {
        SendMessageW(window_, WM_COMMAND, id, 0);
        PumpMessages();
    }

    // Switches and checks everything a switch promises, whatever the document.
    void ExpectSwitchTo(int on, const std::wstring& text, bool modified)
    {
        HWND old = edit();
        SetWordWrap(window_, on);
        PumpMessages();
        EXPECT_FALSE(IsWindow(old)) << "the old control was not closed";
        EXPECT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
        EXPECT_EQ(WrapIsOn(), on != 0);
        EXPECT_EQ(MenuItemChecked(window_, IDM_WORDWRAP), on != 0);
        DWORD stored = 99;
        EXPECT_TRUE(StoredOption(L"WordWrap", &stored));
        EXPECT_EQ(stored, static_cast<DWORD>(on));
        EXPECT_EQ(EditText(), text);
        EXPECT_EQ(Modified(), modified);
        EXPECT_EQ(TitleMarked(), modified);
        DWORD start = 1, end = 2;
        SendMessageW(edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, end) << "a selection survived the switch";
        EXPECT_EQ(SendMessageW(edit(), EM_GETLIMITTEXT, 0, 0), static_cast<LRESULT>(0xFFFFFFFF));
    }
};

TEST_F(EditControlTest, SwitchingKeepsTextAndLineBreaksOfAnUnmodifiedDocument)
{
    GiveText(window_, kLetter);
    ASSERT_EQ(EditText(), kLetter);
    ASSERT_FALSE(Modified());
    SendMessageW(edit(), EM_SETSEL, 3, 40);
    ExpectSwitchTo(1, kLetter, false);
    SendMessageW(edit(), EM_SETSEL, 0, -1);
    ExpectSwitchTo(0, kLetter, false);
}

TEST_F(EditControlTest, SwitchingKeepsTheModifiedMarkOfATypedDocument)
{
    Type(kLetter);
    ASSERT_TRUE(Modified());
    ASSERT_TRUE(TitleMarked());
    SendMessageW(edit(), EM_SETSEL, 10, 20);
    ExpectSwitchTo(1, kLetter, true);
    ExpectSwitchTo(0, kLetter, true);
}

TEST_F(EditControlTest, SwitchingAnEmptyDocumentReplacesTheControlWithAnEmptyOne)
{
    ASSERT_FALSE(WrapIsOn());
    ExpectSwitchTo(1, L"", false);
    ExpectSwitchTo(0, L"", false);
    // The new control still takes typing, beyond the platform's default limit.
    std::wstring longText(40000, L'x');
    Type(longText);
    EXPECT_EQ(GetWindowTextLengthW(edit()), 40000);
}

TEST_F(EditControlTest, TheNewControlTakesTheKeyboardFocusOnlyWhenTextMoved)
{
    Type(L"some text");
    SetWordWrap(window_, 1);
    EXPECT_EQ(GetFocus(), edit());

    SendMessageW(edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SetFocus(GetDlgItem(window_, IDC_TOOLBAR));
    ASSERT_EQ(GetFocus(), GetDlgItem(window_, IDC_TOOLBAR));
    SetWordWrap(window_, 0);
    EXPECT_NE(GetFocus(), edit());
}

TEST_F(EditControlTest, ControlsMadeBySwitchingTakeTextBeyondTheDefaultLimit)
{
    SetWordWrap(window_, 1);
    std::wstring longText(35000, L'y');
    Type(longText);
    EXPECT_EQ(GetWindowTextLengthW(edit()), 35000);
    SetWordWrap(window_, 0);
    Type(L"z");
    EXPECT_EQ(GetWindowTextLengthW(edit()), 35001);
}

TEST_F(EditControlTest, TheWrapStyleDecidesWrappingAndTheScrollBar)
{
    LONG_PTR style = GetWindowLongPtrW(edit(), GWL_STYLE);
    EXPECT_EQ(style & 0xFFFFFFFF & ~WS_HSCROLL & ~WS_VSCROLL & ~0xFFFF, (WS_CHILD | WS_VISIBLE) & 0xFFFF0000);
    EXPECT_EQ(style & 0xFFFF, ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN);
    EXPECT_TRUE(GetWindowLongPtrW(edit(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    // One long paragraph: a single line without wrap, several with it.
    std::wstring paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += L"word ";
    GiveText(window_, paragraph);
    SetWindowPos(window_, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(SendMessageW(edit(), EM_GETLINECOUNT, 0, 0), 1);
    SetWordWrap(window_, 1);
    EXPECT_GT(SendMessageW(edit(), EM_GETLINECOUNT, 0, 0), 1);
}

TEST_F(EditControlTest, ToggleDecidesFromTheStoredSettingNotTheLiveControl)
{
    Command(IDM_WORDWRAP);
    EXPECT_TRUE(WrapIsOn());
    Command(IDM_WORDWRAP);
    EXPECT_FALSE(WrapIsOn());

    // Stored "on" while the control does not wrap: the toggle switches off.
    StoreOption(L"WordWrap", 1);
    Command(IDM_WORDWRAP);
    EXPECT_FALSE(WrapIsOn());
    DWORD stored = 99;
    EXPECT_TRUE(StoredOption(L"WordWrap", &stored));
    EXPECT_EQ(stored, 0u);
}

TEST_F(EditControlTest, StoredWordWrapIsAppliedWhenTheFrameIsBuilt)
{
    StoreOption(L"WordWrap", 1);
    DestroyFrame();
    CreateFrame();
    EXPECT_TRUE(WrapIsOn());
    EXPECT_TRUE(MenuItemChecked(window_, IDM_WORDWRAP));
    EXPECT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
}

TEST_F(EditControlTest, StayOnTopSetsTheWindowBandTheCheckMarkAndThePressedButton)
{
    EXPECT_FALSE(OnTop());
    EXPECT_FALSE(MenuItemChecked(window_, IDM_STAYONTOP));
    EXPECT_FALSE(OnTopButtonPressed());

    EXPECT_NE(SetStayOnTop(window_, 1), 0);
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(MenuItemChecked(window_, IDM_STAYONTOP));
    EXPECT_TRUE(OnTopButtonPressed());
    DWORD stored = 99;
    EXPECT_TRUE(StoredOption(L"Stayontop", &stored));
    EXPECT_EQ(stored, 1u);

    EXPECT_NE(SetStayOnTop(window_, 0), 0);
    EXPECT_FALSE(OnTop());
    EXPECT_FALSE(MenuItemChecked(window_, IDM_STAYONTOP));
    EXPECT_FALSE(OnTopButtonPressed());
    EXPECT_TRUE(StoredOption(L"Stayontop", &stored));
    EXPECT_EQ(stored, 0u);
}

TEST_F(EditControlTest, StayOnTopCommandTogglesFromTheStoredSetting)
{
    Command(IDM_STAYONTOP);
    EXPECT_TRUE(OnTop());
    Command(IDM_STAYONTOP);
    EXPECT_FALSE(OnTop());
    StoreOption(L"Stayontop", 1);
    Command(IDM_STAYONTOP);
    EXPECT_FALSE(OnTop());
    EXPECT_FALSE(OnTopButtonPressed());
}

TEST_F(EditControlTest, StoredStayOnTopIsAppliedWhenTheFrameIsBuilt)
{
    StoreOption(L"Stayontop", 1);
    DestroyFrame();
    CreateFrame();
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(MenuItemChecked(window_, IDM_STAYONTOP));
    EXPECT_TRUE(OnTopButtonPressed());
}

TEST_F(EditControlTest, WithoutTheSettingsKeyBothCommandsAlwaysSwitchOn)
{
    DenyScrivletOptionsKey();
    for (int i = 0; i < 3; ++i) {
        Command(IDM_WORDWRAP);
        EXPECT_TRUE(WrapIsOn()) << "after command " << i + 1;
        EXPECT_TRUE(MenuItemChecked(window_, IDM_WORDWRAP));
        Command(IDM_STAYONTOP);
        EXPECT_TRUE(OnTop()) << "after command " << i + 1;
        EXPECT_TRUE(OnTopButtonPressed());
    }
    EXPECT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
    // The window still went where it was asked, only the store failed.
    EXPECT_EQ(SetStayOnTop(window_, 0), 0);
    EXPECT_FALSE(OnTop());
}

// Refuses the creation of every EDIT window on this thread while it lives.
class EditCreationRefused {
public:
    EditCreationRefused() : hook_(SetWindowsHookExW(WH_CBT, Refuse, nullptr, GetCurrentThreadId())) {}
    ~EditCreationRefused() { UnhookWindowsHookEx(hook_); }
    bool active() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && _wcsicmp(ClassName(reinterpret_cast<HWND>(wParam)).c_str(), L"Edit") == 0)
            return 1;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

TEST_F(EditControlTest, WhenNoNewControlCanBeMadeTheOldOneStaysWithItsText)
{
    Type(kLetter);
    HWND old = edit();
    {
        EditCreationRefused refused;
        ASSERT_TRUE(refused.active());
        SetWordWrap(window_, 1);
        PumpMessages();
    }
    EXPECT_EQ(edit(), old);
    EXPECT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
    EXPECT_EQ(EditText(), kLetter);
    EXPECT_FALSE(WrapIsOn());
    EXPECT_FALSE(MenuItemChecked(window_, IDM_WORDWRAP));
    DWORD stored = 0;
    EXPECT_FALSE(StoredOption(L"WordWrap", &stored) && stored != 0);
    // The document still works afterwards.
    SetWordWrap(window_, 1);
    EXPECT_TRUE(WrapIsOn());
    EXPECT_EQ(EditText(), kLetter);
}

TEST_F(EditControlTest, WhenTheCopyCannotBeAllocatedTheOldControlKeepsTheText)
{
    std::wstring text;
    while (text.size() < 1500000)
        text += L"A line of a document too large to be copied once memory is gone.\r\n";
    GiveText(window_, text);
    ASSERT_EQ(GetWindowTextLengthW(edit()), static_cast<int>(text.size()));
    HWND old = edit();
    {
        AddressSpaceTaken taken;
        HLOCAL probe = LocalAlloc(LMEM_MOVEABLE, text.size() * 2 + 2);
        ASSERT_EQ(probe, nullptr) << "the address space could not be exhausted";
        SetWordWrap(window_, 1);
        PumpMessages();
    }
    EXPECT_EQ(edit(), old);
    EXPECT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
    EXPECT_FALSE(WrapIsOn());
    EXPECT_FALSE(MenuItemChecked(window_, IDM_WORDWRAP));
    EXPECT_TRUE(EditText() == text) << "the text changed";
}

TEST_F(EditControlTest, TheOldBufferIsReleasedByTheSwitch)
{
    GiveText(window_, kLetter);
    HLOCAL before = reinterpret_cast<HLOCAL>(SendMessageW(edit(), EM_GETHANDLE, 0, 0));
    ASSERT_NE(LocalFlags(before), LMEM_INVALID_HANDLE);
    SetWordWrap(window_, 1);
    EXPECT_EQ(LocalFlags(before), LMEM_INVALID_HANDLE) << "the old text buffer is still allocated";
    EXPECT_EQ(EditText(), kLetter);
}

TEST_F(EditControlTest, ASwitchRightAfterAHandOverMovesTheHandedText)
{
    GiveText(window_, L"the text before");
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, (kLetter.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(block, nullptr);
    memcpy(LocalLock(block), kLetter.c_str(), (kLetter.size() + 1) * sizeof(wchar_t));
    LocalUnlock(block);
    // As when a file is loaded: the control takes the text only once the
    // message loop runs, and here the switch comes first.
    HandTextToEdit(window_, block);
    SetWordWrap(window_, 1);
    PumpMessages();
    EXPECT_EQ(EditText(), kLetter);
    EXPECT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
    SetWordWrap(window_, 0);
    PumpMessages();
    EXPECT_EQ(EditText(), kLetter);
    EXPECT_EQ(LocalFlags(block), LMEM_INVALID_HANDLE) << "the handed-over buffer outlived the switch";
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

TEST_F(EditControlTest, SwitchingAMegabyteDocumentManyTimesNeitherLeaksNorFreesTwice)
{
    std::wstring text;
    while (text.size() < 512 * 1024)
        text += L"Forty-odd characters of text on a line.\r\n";
    const SIZE_T documentBytes = text.size() * sizeof(wchar_t);
    GiveText(window_, text);
    ASSERT_EQ(GetWindowTextLengthW(edit()), static_cast<int>(text.size()));
    // Let the heap and the control's line lists reach their working size first.
    for (int i = 0; i < 4; ++i)
        SetWordWrap(window_, i % 2 == 0);
    SIZE_T before = PrivateBytes();
    ASSERT_GT(before, 0u) << "the process's memory use cannot be read";

    const int switches = 40;
    for (int i = 0; i < switches; ++i) {
        SetWordWrap(window_, i % 2 == 0);
        PumpMessages();
        // A buffer freed twice would take the live text with it.
        ASSERT_TRUE(EditText() == text) << "the text changed at switch " << i + 1;
    }
    SIZE_T after = PrivateBytes();
    ASSERT_EQ(ChildrenWithId(window_, IDC_EDIT), 1);
    // A leaked buffer per switch would add switches * documentBytes (40 MB).
    SIZE_T allowed = 8 * documentBytes;
    EXPECT_LT(after, before + allowed) << "memory grew from " << before << " to " << after << " bytes";
}

}  // namespace
