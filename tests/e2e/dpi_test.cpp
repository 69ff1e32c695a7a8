// The real program at 144 dpi, in a prefix of its own whose screen has
// LogPixels 144 (scripts/wine-env makes a prefix named ...-dpi144 so): the
// edit font, the status parts and the toolbar buttons are one and a half
// times their 96-dpi sizes, and no dialog clips a text. This test program
// carries the program's manifest, so it is DPI-aware too and reads 144.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/program_test.h"

namespace {

const int kDpi = 144;

int Scaled(int px96)
{
    return MulDiv(px96, kDpi, 96);
}

int ScreenDpiOfThisProcess()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The dpiAware setting of a program's manifest as the system's loader reads
// it (an activation context made from the program file's manifest resource),
// or "" when it has none. Windows 2000 and XP have no such query; Wine has.
std::wstring DpiAwareSettingOf(const std::wstring& program)
{
    typedef BOOL(WINAPI * QuerySettings)(DWORD, HANDLE, const wchar_t*, const wchar_t*, wchar_t*, SIZE_T, SIZE_T*);
    QuerySettings query = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW")));
    if (!query)
        return L"";
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = program.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE made = CreateActCtxW(&context);
    if (made == INVALID_HANDLE_VALUE)
        return L"";
    wchar_t value[32] = {};
    SIZE_T length = 0;
    BOOL found = query(0, made, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", value,
                       ARRAYSIZE(value), &length);
    ReleaseActCtx(made);
    return found ? value : L"";
}

// The status parts' right edges of another process's status bar: the common
// controls' messages are not marshalled, so the array lives in the program.
std::vector<int> StatusPartEdgesOf(DWORD processId, HWND status)
{
    std::vector<int> edges(5, 0);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return {};
    void* remote = VirtualAllocEx(process, nullptr, sizeof(int) * 5, MEM_COMMIT, PAGE_READWRITE);
    int count = remote ? static_cast<int>(SendMessageW(status, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(remote))) : 0;
    bool read = count == 5 && ReadProcessMemory(process, remote, edges.data(), sizeof(int) * 5, nullptr);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return read ? edges : std::vector<int>();
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

// What a text needs in a font: one line, or wrapped at width when width > 0.
SIZE TextNeeds(HFONT font, const std::wstring& text, int width)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect = {0, 0, width > 0 ? width : 0, 0};
    UINT flags = DT_CALCRECT | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), -1, &rect, flags);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
    return size;
}

// Every text that a control of the dialog shows, measured in the font it is
// drawn in against the room the control gives it. Edit controls, the slider
// and the logo show no label; a list's items must fit its width.
class ClippedTexts {
public:
    ClippedTexts(HWND dialog, HFONT dialogFont, HFONT linkFont)
        : dialog_(dialog), dialogFont_(dialogFont), linkFont_(linkFont)
    {
    }

    std::string Check()
    {
        EnumChildWindows(dialog_, Visit, reinterpret_cast<LPARAM>(this));
        return report_.str();
    }

    int checked() const { return checked_; }

private:
    static BOOL CALLBACK Visit(HWND child, LPARAM self)
    {
        reinterpret_cast<ClippedTexts*>(self)->CheckControl(child);
        return TRUE;
    }

    void Expect(HWND child, const std::wstring& text, SIZE needs, int roomX, int roomY)
    {
        ++checked_;
        if (needs.cx <= roomX && needs.cy <= roomY)
            return;
        const std::wstring kind = ClassOf(child);
        const SIZE line = TextNeeds(text == L"Click here to download source code" ? linkFont_ : dialogFont_, text, 0);
        report_ << "\"" << std::string(text.begin(), text.end()) << "\" (" << std::string(kind.begin(), kind.end())
                << ") needs " << needs.cx << " x " << needs.cy << " (in one line " << line.cx << " x " << line.cy
                << "), has " << roomX << " x " << roomY << "\n";
    }

    void CheckControl(HWND child)
    {
        if (!IsWindowVisible(child))
            return;
        RECT client;
        GetClientRect(child, &client);
        const int width = client.right;
        const int height = client.bottom;
        const std::wstring kind = ClassOf(child);
        const LONG style = static_cast<LONG>(GetWindowLongPtrW(child, GWL_STYLE));
        const std::wstring text = TextOf(child);
        if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            const int edge = 2 * GetSystemMetrics(SM_CXEDGE);
            if (type == BS_GROUPBOX) {
                // The frame's corner and a character's room on either side.
                Expect(child, text, TextNeeds(dialogFont_, text, 0), width - 2 * Scaled(8), height);
            } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
                // The box (13 px at 96 dpi) and its gap before the text.
                Expect(child, text, TextNeeds(dialogFont_, text, 0), width - Scaled(13) - Scaled(4), height);
            } else {
                Expect(child, text, TextNeeds(dialogFont_, text, 0), width - 2 * edge, height - 2 * edge);
            }
        } else if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
            if (text.empty() && TextOf(dialog_) == L"About Scrivlet") {
                // The about box's hyperlink draws its own text, wrapped at words.
                const std::wstring link = L"Click here to download source code";
                Expect(child, link, TextNeeds(linkFont_, link, width), width, height);
                return;
            }
            const LONG type = style & SS_TYPEMASK;
            if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)
                Expect(child, text, TextNeeds(dialogFont_, text, width), width, height);
            else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE)
                Expect(child, text, TextNeeds(dialogFont_, text, 0), width, height);
        } else if (lstrcmpiW(kind.c_str(), L"ListBox") == 0) {
            const int items = static_cast<int>(SendMessageW(child, LB_GETCOUNT, 0, 0));
            const int room = width - GetSystemMetrics(SM_CXVSCROLL);
            // The widest the date formats can be, whatever today's date.
            if (items > 0 && TextOf(dialog_) == L"Scrivlet - Insert time/date") {
                const std::wstring widest = L"Wednesday, September 30 - 00:00:00";
                Expect(child, widest, TextNeeds(dialogFont_, widest, 0), room, height);
            }
            for (int i = 0; i < items; ++i) {
                wchar_t item[256] = {};
                if (SendMessageW(child, LB_GETTEXTLEN, i, 0) >= 256)
                    continue;
                SendMessageW(child, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
                SIZE needs = TextNeeds(dialogFont_, item, 0);
                const int line = static_cast<int>(SendMessageW(child, LB_GETITEMHEIGHT, i, 0));
                Expect(child, item, needs, room, line);
            }
        }
    }

    HWND dialog_;
    HFONT dialogFont_;
    HFONT linkFont_;
    std::ostringstream report_;
    int checked_ = 0;
};

class At144Dpi : public ProgramTest {};

TEST_F(At144Dpi, EditFontStatusPartsAndToolbarAreScaledAndNoDialogClipsAText)
{
    // The manifest marks the program system-DPI-aware, as the loader reads
    // it: on Vista and later an unaware program would read 96 at 144 dpi.
    // (Wine 8 gives every process the screen's dpi, aware or not.)
    EXPECT_EQ(DpiAwareSettingOf(ScrivletExecutable()), L"true");
    ASSERT_EQ(ScreenDpiOfThisProcess(), kDpi) << "the prefix's screen is not at 144 dpi";

    Start(folder_.Write(L"two lines.txt", "first line\r\nsecond line\r\n"));
    ScrivletProcess& scrivlet = program();
    ASSERT_TRUE(scrivlet.WaitUntilIdle());

    // Status parts: 460, 320, 220, 120 and 20 from the right at 96 dpi.
    RECT client;
    GetClientRect(scrivlet.mainWindow(), &client);
    std::vector<int> edges = StatusPartEdgesOf(scrivlet.id(), scrivlet.Child(IDC_STATUSBAR));
    std::vector<int> expected = {client.right - 690, client.right - 480, client.right - 330, client.right - 180,
                                 client.right - 30};
    EXPECT_EQ(edges, expected);

    // The default font, 14 px at 96 dpi, is 21 px: so is a line of the edit control.
    HWND edit = scrivlet.Child(IDC_EDIT);
    LRESULT secondLine = SendMessageW(edit, EM_LINEINDEX, 1, 0);
    ASSERT_GT(secondLine, 0);
    int firstTop = HIWORD(SendMessageW(edit, EM_POSFROMCHAR, 0, 0));
    int secondTop = HIWORD(SendMessageW(edit, EM_POSFROMCHAR, secondLine, 0));
    EXPECT_EQ(secondTop - firstTop, Scaled(14));

    // 23 x 22 at 96 dpi; the 24 px pictures in buttons of 35 x 33.
    LRESULT button = SendMessageW(scrivlet.Child(IDC_TOOLBAR), TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(LOWORD(button), Scaled(23));
    EXPECT_EQ(HIWORD(button), Scaled(22));

    // Every dialog in the font of its template (Tahoma 8 points) and the
    // about box's link in its own (MS Sans Serif, 12 px at 96 dpi).
    HFONT dialogFont = CreateFontW(-MulDiv(8, kDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                   0, 0, L"Tahoma");
    HFONT linkFont =
        CreateFontW(Scaled(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    struct Dialog {
        UINT command;
        const wchar_t* caption;
        int closeButton;
    };
    const Dialog dialogs[] = {
        {IDM_FINDREPLACE, L"Find and Replace", IDCANCEL},
        {IDM_GOTOLINE, L"Go to line", IDCANCEL},
        {IDM_INSERTDATETIME, L"Scrivlet - Insert time/date", IDCANCEL},
        {IDM_SETTINGS, L"Scrivlet 2.0 Settings", IDCANCEL},
        {IDM_HEADERFOOTER, L"Header and Footer", IDCANCEL},
        {IDM_ABOUT, L"About Scrivlet", IDOK},
    };
    for (const Dialog& shown : dialogs) {
        scrivlet.PostCommand(shown.command);
        HWND dialog = scrivlet.WaitForDialogTitled(shown.caption);
        ASSERT_NE(dialog, nullptr) << "no dialog \""
                                   << std::string(shown.caption, shown.caption + wcslen(shown.caption)) << "\"";
        ASSERT_TRUE(scrivlet.WaitUntilIdle());
        ClippedTexts texts(dialog, dialogFont, linkFont);
        std::string clipped = texts.Check();
        EXPECT_EQ(clipped, "") << "in \"" << std::string(shown.caption, shown.caption + wcslen(shown.caption)) << "\"";
        EXPECT_GT(texts.checked(), 0);
        PressDialogButton(dialog, shown.closeButton);
        // Find and Replace is modeless and may only hide.
        for (int i = 0; i < 500 && IsWindow(dialog) && IsWindowVisible(dialog); ++i)
            Sleep(10);
        ASSERT_FALSE(IsWindow(dialog) && IsWindowVisible(dialog));
    }
    DeleteObject(dialogFont);
    DeleteObject(linkFont);

    scrivlet.Close();
    DWORD code = 1;
    ASSERT_TRUE(scrivlet.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
