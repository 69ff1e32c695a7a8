// Stored settings never hide the window or break the start: each hostile value
// (wrong size, wrong type, a rectangle no screen shows, a font beyond making)
// is written as another program or a hand edit would, and the real program
// must come up visible, centred, opaque, with the default font and colours,
// and with word wrap, stay-on-top and case-sensitive search off.
#include <windows.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/registry_reset.h"
#include "tests/support/screen_pixels.h"
#include "tests/support/wait.h"

namespace {

const int kEditId = 106;
const wchar_t kOptions[] = L"Software\\Scrivlet\\Options";

struct HostileCase {
    const char* label;
    const wchar_t* name;
    DWORD type;
    std::string bytes;
    bool placed;  // the rectangle is usable: the window is put there, not centred
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const HostileCase& hostile, std::ostream* out)
{
    *out << hostile.label;
}

std::string Placement(RECT normal, UINT length = sizeof(WINDOWPLACEMENT))
{
    WINDOWPLACEMENT placement = {};
    placement.length = length;
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = normal;
    return std::string(reinterpret_cast<const char*>(&placement), sizeof(placement));
}

// Arial at a height whose letters would be far wider than the default's.
LOGFONTW Arial(LONG height)
{
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    wcscpy(font.lfFaceName, L"Arial");
    return font;
}

std::string Bytes(const LOGFONTW& font)
{
    return std::string(reinterpret_cast<const char*>(&font), sizeof(font));
}

LOGFONTW FaceWithoutEnd()
{
    LOGFONTW font = Arial(40);
    wmemset(font.lfFaceName, L'A', LF_FACESIZE);
    return font;
}

const std::string kOne("\x01\0\0\0", 4);
const RECT kOnScreen = {10, 10, 410, 310};

const HostileCase kCases[] = {
    {"PlacementOfTenBytes", L"WindowPlacement", REG_BINARY, std::string(10, '\xFF'), false},
    {"PlacementOfFortyEightBytes", L"WindowPlacement", REG_BINARY, Placement(kOnScreen) + kOne, false},
    {"PlacementStoredAsText", L"WindowPlacement", REG_SZ, Placement(kOnScreen), false},
    {"PlacementStoredAsDword", L"WindowPlacement", REG_DWORD, Placement(kOnScreen), false},
    {"PlacementWithAnotherLength", L"WindowPlacement", REG_BINARY, Placement(kOnScreen, 0), false},
    {"PlacementFarLeft", L"WindowPlacement", REG_BINARY, Placement({-32768, 100, -32000, 500}), false},
    {"PlacementFarDown", L"WindowPlacement", REG_BINARY, Placement({32767, 32767, 33000, 33000}), false},
    {"PlacementOnAnUnpluggedScreen", L"WindowPlacement", REG_BINARY, Placement({1400, 100, 2000, 600}), false},
    {"PlacementOfZeroWidth", L"WindowPlacement", REG_BINARY, Placement({100, 100, 100, 500}), false},
    {"PlacementOfZeroHeight", L"WindowPlacement", REG_BINARY, Placement({100, 100, 500, 100}), false},
    {"PlacementTurnedInsideOut", L"WindowPlacement", REG_BINARY, Placement({500, 500, 100, 100}), false},
    {"PlacementWiderThanAnInt", L"WindowPlacement", REG_BINARY, Placement({INT_MIN, 0, INT_MAX, 500}), false},
    {"PlacementPartlyOnScreen", L"WindowPlacement", REG_BINARY, Placement({-100, 100, 500, 500}), true},
    {"PlacementShowingOnlyItsBottomEdge", L"WindowPlacement", REG_BINARY, Placement({0, -995, 800, 5}), false},
    {"PlacementWithTooLittleCaptionOnScreen", L"WindowPlacement", REG_BINARY, Placement({1240, 100, 1700, 500}), false},
    {"PlacementWithItsCaptionBelowTheScreen", L"WindowPlacement", REG_BINARY, Placement({100, 1010, 500, 1400}), false},
    {"FontOfTenBytes", L"Font", REG_BINARY, Bytes(Arial(40)).substr(0, 10), false},
    {"FontOfHundredBytes", L"Font", REG_BINARY, Bytes(Arial(40)) + kOne + kOne, false},
    {"FontStoredAsText", L"Font", REG_SZ, Bytes(Arial(40)), false},
    {"FontOfHugeHeight", L"Font", REG_BINARY, Bytes(Arial(1000000)), false},
    {"FontOfMostNegativeHeight", L"Font", REG_BINARY, Bytes(Arial(LONG_MIN)), false},
    {"FontFaceWithoutEnd", L"Font", REG_BINARY, Bytes(FaceWithoutEnd()), false},
    {"OpacityStoredAsBinary", L"Opacity", REG_BINARY, kOne, false},
    {"OpacityOfTwoBytes", L"Opacity", REG_DWORD, std::string("\x01\0", 2), false},
    {"StayontopStoredAsBinary", L"Stayontop", REG_BINARY, kOne, false},
    {"StayontopStoredAsText", L"Stayontop", REG_SZ, std::string("1\0\0\0", 4), false},
    {"WordWrapStoredAsBinary", L"WordWrap", REG_BINARY, kOne, false},
    {"WordWrapOfTwoBytes", L"WordWrap", REG_DWORD, std::string("\x01\0", 2), false},
    {"CaseSensitiveStoredAsBinary", L"CaseSensitive", REG_BINARY, kOne, false},
    {"ForeColorStoredAsDword", L"ForeColor", REG_DWORD, std::string("\xFF\0\0\0", 4), false},
    {"BackColorOfTwoBytes", L"BackColor", REG_BINARY, std::string("\xFF\0", 2), false},
};

void StoreRaw(const HostileCase& hostile)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptions, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    LONG stored =
        RegSetValueExW(key, hostile.name, 0, hostile.type, reinterpret_cast<const BYTE*>(hostile.bytes.data()),
                       static_cast<DWORD>(hostile.bytes.size()));
    RegCloseKey(key);
    ASSERT_EQ(stored, ERROR_SUCCESS);
}

// The advance of a 'W' in the default edit font: Arial, 14 high, normal weight.
int DefaultFontLetterWidth()
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"W", 1, &size);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return size.cx;
}

// Counts the pixels of a window, as the screen shows them, that are not grey:
// black text on the system's white has none, any stored colour shows up.
struct Colours {
    int coloured = 0;
    COLORREF corner = 0;
};

Colours ScreenColours(HWND window)
{
    const std::vector<DWORD> pixels = ScreenPixels(window);
    Colours colours;
    for (DWORD pixel : pixels) {
        BYTE b = pixel & 0xFF, g = (pixel >> 8) & 0xFF, r = (pixel >> 16) & 0xFF;
        colours.coloured += (r != g || g != b);
    }
    if (!pixels.empty()) {
        DWORD last = pixels.back();
        colours.corner = RGB((last >> 16) & 0xFF, (last >> 8) & 0xFF, last & 0xFF);
    }
    return colours;
}

class StoredSettingsTest : public ProgramTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(StoredSettingsTest, ProgramStartsVisibleWithTheDefaults)
{
    const HostileCase& hostile = GetParam();
    ASSERT_NO_FATAL_FAILURE(StoreRaw(hostile));
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND window = program().mainWindow();
    EXPECT_TRUE(IsWindowVisible(window) && !IsIconic(window));

    RECT frame;
    GetWindowRect(window, &frame);
    HMONITOR monitor = MonitorFromRect(&frame, MONITOR_DEFAULTTONULL);
    ASSERT_NE(monitor, nullptr) << "the window is on no screen";
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    RECT seen = {};
    IntersectRect(&seen, &frame, &info.rcWork);
    EXPECT_GE(seen.right - seen.left, 100) << "too little of the window is on the work area";
    EXPECT_GE(seen.bottom - seen.top, 100) << "too little of the window is on the work area";
    if (hostile.placed) {
        RECT asked = reinterpret_cast<const WINDOWPLACEMENT*>(hostile.bytes.data())->rcNormalPosition;
        EXPECT_TRUE(EqualRect(&frame, &asked)) << "at " << frame.left << "," << frame.top;
    } else {
        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        EXPECT_LE(abs((frame.left + frame.right) - (desktop.left + desktop.right)), 2) << "not centred";
        EXPECT_LE(abs((frame.top + frame.bottom) - (desktop.top + desktop.bottom)), 2) << "not centred";
    }

    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) << "the window is see-through";
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND edit = program().Child(kEditId);
    EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL) << "word wrap is on";
    program().Type(L"WW");
    ASSERT_TRUE(program().WaitUntilIdle());
    int first = LOWORD(SendMessageW(edit, EM_POSFROMCHAR, 0, 0));
    int second = LOWORD(SendMessageW(edit, EM_POSFROMCHAR, 1, 0));
    EXPECT_EQ(second - first, DefaultFontLetterWidth()) << "the edit font is not the default";
    // The screen may show the edit control a moment after it painted.
    Colours colours;
    WaitUntil(
        [&] {
            colours = ScreenColours(edit);
            return colours.corner == GetSysColor(COLOR_WINDOW) && colours.coloured == 0;
        },
        3000);
    EXPECT_EQ(colours.corner, GetSysColor(COLOR_WINDOW)) << "the background is not the system's";
    EXPECT_EQ(colours.coloured, 0) << "the text or background is coloured";

    program().PostCommand(IDM_FINDREPLACE);
    HWND find = program().WaitForDialog();
    ASSERT_NE(find, nullptr) << "the find dialog did not open";
    EXPECT_EQ(SendDlgItemMessageW(find, IDC_CASESENSITIVE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    PressDialogButton(find, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(find); })) << "the find dialog did not close";

    program().Close();
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(L"Untitled"), IDNO));
    DWORD code = 12345;
    ASSERT_TRUE(program().WaitForExit(&code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
}

// A window all but transparent at its last run starts where it can be found;
// the stored choice is the user's and stays.
struct OpacityCase {
    DWORD stored;
    BYTE started;
};

class StoredOpacityTest : public ProgramTest, public ::testing::WithParamInterface<OpacityCase> {};

TEST_P(StoredOpacityTest, WindowStartsAtLeastAFifthOpaque)
{
    const OpacityCase& opacity = GetParam();
    std::string bytes(reinterpret_cast<const char*>(&opacity.stored), sizeof(opacity.stored));
    ASSERT_NO_FATAL_FAILURE(StoreRaw({"Opacity", L"Opacity", REG_DWORD, bytes, false}));
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND window = program().mainWindow();
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, opacity.started);
    EXPECT_TRUE(flags & LWA_ALPHA);
    program().Close();
    DWORD code = 12345;
    ASSERT_TRUE(program().WaitForExit(&code)) << "the program did not end";
    DWORD stored = 0;
    EXPECT_TRUE(StoredOption(L"Opacity", &stored));
    EXPECT_EQ(stored, opacity.stored);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredOpacityTest,
                         ::testing::Values(OpacityCase{1, 51}, OpacityCase{50, 51}, OpacityCase{51, 51}),
                         [](const ::testing::TestParamInfo<OpacityCase>& info) {
                             return "Stored" + std::to_string(info.param.stored);
                         });

INSTANTIATE_TEST_SUITE_P(Values, StoredSettingsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.label; });

}  // namespace
