// The main menu as the running frame shows it, the accelerator table as
// stored, and the help strings behind both.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/frame_fixture.h"

namespace {

const UINT kSeparator = 0;

struct Item {
    UINT id;  // kSeparator for a separator
    const wchar_t* text;
    UINT state;
};

struct ItemSeen {
    UINT type;
    UINT id;
    UINT state;
    std::wstring text;
    HMENU submenu;
};

ItemSeen ReadItem(HMENU menu, int position)
{
    wchar_t text[256] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 256;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info))
        return {0xFFFFFFFF, 0, 0, L"<unreadable>", nullptr};
    return {info.fType, info.wID, info.fState, text, info.hSubMenu};
}

void ExpectPopup(HMENU bar, int position, const wchar_t* title, const std::vector<Item>& items)
{
    ItemSeen popup = ReadItem(bar, position);
    EXPECT_EQ(popup.text, title);
    ASSERT_NE(popup.submenu, nullptr) << title;
    ASSERT_EQ(GetMenuItemCount(popup.submenu), static_cast<int>(items.size())) << title;
    for (size_t i = 0; i < items.size(); ++i) {
        ItemSeen seen = ReadItem(popup.submenu, static_cast<int>(i));
        if (items[i].id == kSeparator) {
            EXPECT_EQ(seen.type & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR)) << title << " position " << i;
            continue;
        }
        EXPECT_EQ(seen.type & MFT_SEPARATOR, 0u) << title << " position " << i;
        EXPECT_EQ(seen.id, items[i].id) << title << " position " << i;
        EXPECT_EQ(seen.text, items[i].text) << title << " position " << i;
        EXPECT_EQ(seen.state & (MFS_GRAYED | MFS_CHECKED), items[i].state) << title << " position " << i;
        EXPECT_EQ(seen.submenu, nullptr) << title << " position " << i;
    }
}

using MenuTest = FrameTest;

TEST_F(MenuTest, FourPopupsWithEveryItemInPlace)
{
    HMENU bar = GetMenu(window_);
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    ExpectPopup(bar, 0, L"&File",
                {{IDM_NEW, L"&New File\tCtrl+N", 0},
                 {IDM_NEWWINDOW, L"New &Window\tCtrl+W", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_OPEN, L"&Open\tCtrl+O", 0},
                 {IDM_SAVE, L"&Save\tCtrl+S", 0},
                 {IDM_SAVEAS, L"Save &As...\tCtrl+Alt+S", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_PAGESETUP, L"Page Set&up...", 0},
                 {IDM_HEADERFOOTER, L"&Header and Footer...", 0},
                 {IDM_PRINT, L"&Print\tCtrl+P", 0},
                 {IDM_PRINTPREVIEW, L"Print Pre&view", 0},
                 {kSeparator, nullptr, 0},
                 // The recent files, on a clean machine only this grayed entry.
                 {IDM_RECENTEMPTY, L"[Empty]", MFS_GRAYED},
                 {kSeparator, nullptr, 0},
                 {IDM_EXIT, L"E&xit\tCtrl+Q", 0}});
    ExpectPopup(bar, 1, L"&Edit",
                {{IDM_UNDO, L"&Undo\tCtrl+Z", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_CUT, L"Cut\tCtrl+X", 0},
                 {IDM_COPY, L"Copy\tCtrl+C", 0},
                 {IDM_PASTE, L"&Paste\tCtrl+V", 0},
                 {IDM_SELECTALL, L"Select All\tCtrl+A", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_WORDWRAP, L"&Word wrap\tCtrl+Shft+W", 0},
                 {IDM_FINDREPLACE, L"Find/Replace\tCtrl+F", 0},
                 {IDM_FINDNEXT, L"Find &Next\tF3", 0},
                 {IDM_FINDPREVIOUS, L"Find Pre&vious\tShift+F3", 0},
                 {IDM_GOTOLINE, L"Go to line\tCtrl+G", 0},
                 {IDM_INSERTDATETIME, L"Insert time/date\tCtrl+I", 0}});
    ExpectPopup(bar, 2, L"&View",
                {{IDM_FORECOLOR, L"Change Fore Color\tF4", 0},
                 {IDM_BACKCOLOR, L"Change Back Color\tF5", 0},
                 {IDM_FONT, L"&Change Font\tF6", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_ZOOMIN, L"Zoom &In\tCtrl+Plus", 0},
                 {IDM_ZOOMOUT, L"Zoom &Out\tCtrl+Minus", 0},
                 {IDM_ZOOMRESTORE, L"&Restore Default Zoom\tCtrl+0", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_STAYONTOP, L"Always On Top\tF7", 0},
                 {kSeparator, nullptr, 0},
                 {IDM_PROPERTIES, L"&File Properties\tF8", 0},
                 {IDM_SETTINGS, L"Scrivlet settings\tF9", 0}});
    ExpectPopup(bar, 3, L"&Help", {{IDM_ABOUT, L"&About Scrivlet 2.0...", 0}});
}

TEST(MenuTemplate, HasTwoAdjacentSeparatorsAboveExitAndNoMarks)
{
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(menu, nullptr);
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(file), 14);
    EXPECT_EQ(ReadItem(file, 11).type & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));
    EXPECT_EQ(ReadItem(file, 12).type & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));
    EXPECT_EQ(ReadItem(file, 13).id, static_cast<UINT>(IDM_EXIT));
    for (int popup = 0; popup < 4; ++popup) {
        HMENU items = GetSubMenu(menu, popup);
        for (int i = 0; i < GetMenuItemCount(items); ++i) {
            ItemSeen item = ReadItem(items, i);
            // The system reports separators as grayed; only commands count.
            if (!(item.type & MFT_SEPARATOR)) {
                EXPECT_EQ(item.state & (MFS_GRAYED | MFS_CHECKED), 0u) << popup << "/" << i;
            }
        }
    }
    DestroyMenu(menu);
}

struct Accelerator {
    BYTE flags;
    WORD key;
    WORD command;
};

const Accelerator kAccelerators[] = {
    {0x03, VK_F5, 40015},        {0x03, VK_F6, 40016},       {0x0B, 'C', 40010},         {0x0B, 'X', 40009},
    {0x0B, 'Q', 40007},          {0x03, VK_F8, 40017},       {0x0B, 'F', 40012},         {0x03, VK_F3, 40030},
    {0x07, VK_F3, 40031},        {0x03, VK_F4, 40014},       {0x0B, 'I', 40024},         {0x0B, 'G', 40026},
    {0x0B, 'N', 40001},          {0x0B, 'W', 40002},         {0x0B, 'O', 40003},         {0x0B, 'V', 40011},
    {0x0B, 'P', 40006},          {0x0B, 'S', 40004},         {0x1B, 'S', 40005},         {0x0B, 'A', 40023},
    {0x03, VK_F9, 40025},        {0x03, VK_F7, 39999},       {0x03, VK_TAB, 40029},      {0x0B, 'Z', 40008},
    {0x0F, 'W', 40027},          {0x0B, VK_OEM_PLUS, 40032}, {0x0F, VK_OEM_PLUS, 40032}, {0x0B, VK_ADD, 40032},
    {0x0B, VK_OEM_MINUS, 40033}, {0x0B, VK_SUBTRACT, 40033}, {0x0B, '0', 40034},         {0x0B, VK_NUMPAD0, 40034},
};
const int kAcceleratorCount = sizeof(kAccelerators) / sizeof(kAccelerators[0]);

TEST(AcceleratorTable, LoadsWithEveryEntryInStoredOrder)
{
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    int count = CopyAcceleratorTableW(table, nullptr, 0);
    ASSERT_EQ(count, kAcceleratorCount);
    std::vector<ACCEL> entries(count);
    CopyAcceleratorTableW(table, entries.data(), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(entries[i].fVirt & 0x7F, kAccelerators[i].flags) << "entry " << i + 1;
        EXPECT_EQ(entries[i].key, kAccelerators[i].key) << "entry " << i + 1;
        EXPECT_EQ(entries[i].cmd, kAccelerators[i].command) << "entry " << i + 1;
    }
    DestroyAcceleratorTable(table);
}

TEST(AcceleratorTable, StoredRecordsEndWithTheEndMarkOnTheLastEntryOnly)
{
    // The stored record: flags, key, command, padding; a WORD each.
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(IDR_ACCELERATORS), RT_ACCELERATOR);
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(self, found), kAcceleratorCount * 8u);
    const WORD* words = static_cast<const WORD*>(LockResource(LoadResource(self, found)));
    ASSERT_NE(words, nullptr);
    for (int i = 0; i < kAcceleratorCount; ++i) {
        WORD expected = kAccelerators[i].flags | (i == kAcceleratorCount - 1 ? 0x80 : 0);
        EXPECT_EQ(words[4 * i], expected) << "entry " << i + 1;
        EXPECT_EQ(words[4 * i + 1], kAccelerators[i].key) << "entry " << i + 1;
        EXPECT_EQ(words[4 * i + 2], kAccelerators[i].command) << "entry " << i + 1;
    }
}

TEST(HelpStrings, CarryAShortNameAfterTheLineBreakExceptAbout)
{
    struct {
        UINT id;
        const wchar_t* text;
    } strings[] = {
        {39999, L"Toggles stay on top\nAlways on top"},
        {40001, L"Creates a new blank document.\nNew"},
        {40002, L"Creates a new Scrivlet window.\nNew Window"},
        {40003, L"Open a file from disk.\nOpen"},
        {40004, L"Save the working document.\nSave"},
        {40005, L"Save working document as...\nSave As"},
        {40006, L"Print the current document\nPrint"},
        {40007, L"Close Scrivlet, prompts to save changes.\nExit"},
        {40008, L"Undo last action\nUndo"},
        {40009, L"Cuts the current selection out of the document and places it on the clipboard.\nCut"},
        {40010, L"Copies the current selection to the clipboard.\nCopy"},
        {40011, L"Places the contents of the clipboard at the caret.\nPaste"},
        {40012, L"Find/Replace in document\nFind and replace"},
        {40014, L"Changes forecolor of text in document\nChange forecolor"},
        {40015, L"Change background color of document\nChange background color"},
        {40016, L"Change font used to display document\nChange font"},
        {40017, L"Display file properties\nProperties"},
        {40023, L"Selects all text in the current document\nSelect All"},
        {40024, L"Inserts the current time/date into the document\nInsert time/date"},
        {40025, L"Displays the Scrivlet settings dialog\nSettings"},
        {40026, L"Jumps to specified line in document\nJump to"},
        {40027, L"Toggles word wrapping in document\nWord wrap"},
        {40028, L"Displays program information"},
        {40030, L"Finds the next occurrence of the last find text\nFind next"},
        {40031, L"Finds the previous occurrence of the last find text\nFind previous"},
        {40032, L"Shows the text larger\nZoom in"},
        {40033, L"Shows the text smaller\nZoom out"},
        {40034, L"Shows the text at its normal size\nRestore default zoom"},
    };
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (const auto& string : strings) {
        wchar_t text[512] = {};
        EXPECT_GT(LoadStringW(self, string.id, text, 512), 0) << "string " << string.id;
        EXPECT_STREQ(text, string.text) << "string " << string.id;
    }
    const UINT missing[] = {0, 1, 2, 3, 106, 39998, 40013, 40018, 40019, 40020, 40021, 40022, 40029};
    for (UINT id : missing) {
        wchar_t text[512] = {};
        EXPECT_EQ(LoadStringW(self, id, text, 512), 0) << "string " << id;
    }
}

}  // namespace
