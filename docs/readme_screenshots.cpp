// Makes the README's pictures from the running program: the main window with
// a document, then Find and Replace, the settings and the about box over it.
// Each is saved as a BMP (named after the picture) in the folder given on the
// command line; scripts/screenshots turns them into PNGs.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/scrivlet_process.h"
#include "tests/support/registry_reset.h"
#include "tests/support/scratch_folder.h"

namespace {

const char kSample[] =
    "Scrivlet keeps to the point: one window, one document.\r\n"
    "\r\n"
    "- Opens and saves ANSI and Unicode text\r\n"
    "- Find and replace, go to line, insert time and date\r\n"
    "- Word wrap, colours, font, transparency, always on top\r\n"
    "- The four most recent files in the File menu\r\n";

BOOL CALLBACK AddChild(HWND child, LPARAM windows)
{
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(child);
    return TRUE;
}

// Has every given window and each of its children paint once more and waits
// until all have: a window gets WM_PAINT only when its queue is otherwise
// empty, so the toolbar's buttons are there once its update region is gone.
// The main window's own round left the toolbar row empty in the picture.
bool WaitUntilPainted(const std::vector<HWND>& windows)
{
    std::vector<HWND> all = windows;
    for (HWND window : windows)
        EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&all));
    // No erase: the logo's black background would hide its frames.
    for (HWND window : all)
        InvalidateRect(window, nullptr, FALSE);
    for (int i = 0; i < 1000; ++i) {
        bool pending = false;
        for (HWND window : all)
            pending = pending || (IsWindow(window) && GetUpdateRect(window, nullptr, FALSE));
        if (!pending) {
            // Under Wine the drawing reaches the screen when the program's
            // thread next waits for input, just after its last paint; no
            // other process can see that moment, so give it a little time.
            Sleep(200);
            return true;
        }
        Sleep(10);
    }
    return false;
}

// What the screen shows inside the rectangle that holds every given window,
// once they have all painted.
bool SaveScreenArea(const std::vector<HWND>& windows, const std::wstring& path)
{
    if (!WaitUntilPainted(windows))
        return false;
    RECT area;
    GetWindowRect(windows.front(), &area);
    for (HWND window : windows) {
        RECT rect;
        GetWindowRect(window, &rect);
        UnionRect(&area, &area, &rect);
    }
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD stride = ((width * 3) + 3) & ~3u;
    header.biSizeImage = stride * height;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(static_cast<const char*>(bits), header.biSizeImage);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied)
        return false;
    WriteBytes(path, bytes);
    return true;
}

// Opens a dialog by its command, saves it over the main window and closes it.
bool ShootDialog(ScrivletProcess& program, UINT command, const wchar_t* caption, int closeButton,
                 const std::wstring& path)
{
    program.PostCommand(command);
    HWND dialog = program.WaitForDialogTitled(caption);
    if (!dialog)
        return false;
    Sleep(500);  // the about box's logo draws its first frames
    bool saved = SaveScreenArea({program.mainWindow(), dialog}, path);
    PressDialogButton(dialog, closeButton);
    // Find and Replace is modeless: it may only hide.
    for (int i = 0; i < 500 && IsWindow(dialog) && IsWindowVisible(dialog); ++i)
        Sleep(10);
    return !IsWindowVisible(dialog) && saved;
}

// This program carries the program's manifest, so it reads the screen's
// true dpi as the program does.
int ScreenDpiOfThisProcess()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fwprintf(stderr, L"usage: readme_screenshots FOLDER\n");
        return 2;
    }
    std::wstring out = argv[1];
    ResetScrivletRegistry();
    ScratchFolder folder;
    std::wstring document = folder.Write(L"welcome.txt", kSample);
    ScrivletProcess program(L"\"" + document + L"\"");
    if (!program.WaitUntilReady()) {
        fwprintf(stderr, L"the program did not come up\n");
        return 1;
    }
    HWND window = program.mainWindow();
    // Centred, as the dialogs that centre themselves on the screen are, and
    // 640 x 400 at 96 dpi, scaled for the screen's dpi.
    const int dpi = ScreenDpiOfThisProcess();
    const int width = MulDiv(640, dpi, 96);
    const int height = MulDiv(400, dpi, 96);
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
    program.Select(0, 8);
    // The status bar counts the text once it is shown; then one idle paint.
    for (int i = 0; i < 500 && program.StatusText(2).find(L"chars") == std::wstring::npos; ++i)
        Sleep(10);
    program.WaitUntilIdle();
    // On a screen of another dpi (a prefix with LogPixels set), the main
    // window alone, named for its dpi.
    bool done =
        dpi != 96
            ? SaveScreenArea({window}, out + L"\\main-window-" + std::to_wstring(dpi) + L"dpi.bmp")
            : SaveScreenArea({window}, out + L"\\main-window.bmp") &&
                  ShootDialog(program, IDM_FINDREPLACE, L"Find and Replace", IDCANCEL, out + L"\\find-replace.bmp") &&
                  ShootDialog(program, IDM_SETTINGS, L"Scrivlet 2.0 Settings", IDCANCEL, out + L"\\settings.bmp") &&
                  ShootDialog(program, IDM_ABOUT, L"About Scrivlet", IDOK, out + L"\\about.bmp");
    program.Close();
    DWORD code = 1;
    program.WaitForExit(&code);
    ResetScrivletRegistry();
    if (!done)
        fwprintf(stderr, L"a picture could not be made\n");
    return done && code == 0 ? 0 : 1;
}
