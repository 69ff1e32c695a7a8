// The logo control: the course of its angles, its picture, and a render thread
// that lives exactly as long as its window.
#include "about/gllogo.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "tests/support/wait.h"

namespace {

std::vector<DWORD> ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    std::vector<DWORD> threads;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            threads.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return threads;
}

bool Runs(DWORD threadId)
{
    std::vector<DWORD> threads = ThreadsOfThisProcess();
    return std::find(threads.begin(), threads.end(), threadId) != threads.end();
}

bool IsBackdropBlue(unsigned red, unsigned blue)
{
    return blue > 100 && blue > red + 30;
}

// Whether the frame OpenGL draws into holds the backdrop's blue, read from the
// DIB section itself. Not through a reading context of our own: under Wine
// each bitmap context renders into a buffer of its own, which reaches the DIB
// on glFinish, so a second context reads only black.
bool ShowsBlue(HWND logo)
{
    const glLogoState* state = reinterpret_cast<const glLogoState*>(GetWindowLongPtrW(logo, GWLP_USERDATA));
    DIBSECTION frame = {};
    if (GetObjectW(state->frameBitmap, sizeof(frame), &frame) != sizeof(frame) || frame.dsBm.bmBitsPixel != 32)
        return false;
    const unsigned char* pixels = static_cast<const unsigned char*>(frame.dsBm.bmBits);
    size_t bytes = static_cast<size_t>(frame.dsBm.bmWidthBytes) * frame.dsBm.bmHeight;
    // Blue, green, red and a fourth byte per pixel.
    for (size_t i = 0; i < bytes; i += 4) {
        if (IsBackdropBlue(pixels[i + 2], pixels[i]))
            return true;
    }
    return false;
}

// The logo's client area as the screen shows it, one 0x00RRGGBB value a pixel.
std::vector<DWORD> ScreenPixels(HWND logo)
{
    RECT client;
    GetClientRect(logo, &client);
    POINT origin = {0, 0};
    ClientToScreen(logo, &origin);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const DWORD* first = static_cast<const DWORD*>(bits);
    std::vector<DWORD> pixels(first, first + client.right * client.bottom);
    SelectObject(copy, previous);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The backdrop's blue and the cube's white ground, both on the screen.
bool HasLogoColours(const std::vector<DWORD>& pixels)
{
    bool blue = false, white = false;
    for (DWORD pixel : pixels) {
        unsigned red = GetBValue(pixel), green = GetGValue(pixel), blueValue = GetRValue(pixel);
        blue = blue || IsBackdropBlue(red, blueValue);
        white = white || (red > 220 && green > 220 && blueValue > 220);
    }
    return blue && white;
}

TEST(LogoAngles, BackdropSwingsBetweenItsEndsAndTheCubeWrapsPast360)
{
    LogoAngles angles;
    std::vector<float> backdrop, cube;
    for (int frame = 0; frame < 1445; ++frame) {
        backdrop.push_back(angles.backdrop);
        cube.push_back(angles.cube);
        AdvanceLogoAngles(angles);
    }
    // Each end is drawn twice: on the way there and on the turn.
    EXPECT_EQ(backdrop[719], 359.5f);
    EXPECT_EQ(backdrop[720], 360.0f);
    EXPECT_EQ(backdrop[721], 360.0f);
    EXPECT_EQ(backdrop[722], 359.5f);
    EXPECT_EQ(backdrop[1440], 0.5f);
    EXPECT_EQ(backdrop[1441], 0.0f);
    EXPECT_EQ(backdrop[1442], 0.0f);
    EXPECT_EQ(backdrop[1443], 0.5f);
    EXPECT_EQ(cube[239], 358.5f);
    EXPECT_EQ(cube[240], 360.0f);
    EXPECT_EQ(cube[241], 1.5f);
    for (size_t frame = 1; frame < cube.size(); ++frame)
        ASSERT_TRUE(cube[frame] > 0.0f && cube[frame] <= 360.0f) << "frame " << frame << ": " << cube[frame];
}

TEST(LogoWindow, DrawsTheLogoAndEndsItsThreadWithTheWindowEachTime)
{
    RegisterLogoClass();
    RegisterLogoClass();
    size_t threadsAfterFirst = 0;
    // A second window runs a new thread in a new context from where the
    // first one stopped.
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 150, nullptr, nullptr,
                                    nullptr, nullptr);
        HWND logo = CreateWindowExW(WS_EX_STATICEDGE, L"glLogoControl", L"", WS_CHILD | WS_VISIBLE, 10, 10, 105, 80,
                                    host, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(logo, nullptr);
        const glLogoState* state = reinterpret_cast<const glLogoState*>(GetWindowLongPtrW(logo, GWLP_USERDATA));
        ASSERT_NE(state, nullptr);
        DWORD threadId = state->threadId;
        HANDLE thread = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, state->threadId);
        ASSERT_NE(thread, nullptr) << "no render thread";
        EXPECT_TRUE(Runs(state->threadId));
        EXPECT_TRUE(WaitUntil([&] { return ShowsBlue(logo); })) << "the logo shows no blue";

        DestroyWindow(host);
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "render thread outlived its window";
        DWORD exitCode = 0;
        GetExitCodeThread(thread, &exitCode);
        EXPECT_EQ(exitCode, 1u);
        CloseHandle(thread);
        EXPECT_FALSE(Runs(threadId));
        // Wine starts a helper thread of its own with the first window.
        if (showing == 1)
            threadsAfterFirst = ThreadsOfThisProcess().size();
        else
            EXPECT_EQ(ThreadsOfThisProcess().size(), threadsAfterFirst) << "threads pile up";
    }
}

// Polls without handling this thread's messages, as a modal loop that waits
// for input handles none.
bool HoldsWithoutPumping(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000; ++i) {
        if (condition())
            return true;
        Sleep(10);
    }
    return false;
}

// Under Wine a child window's own OpenGL output never reached the screen, so
// the about box showed a hole: the frames must arrive there through GDI, by
// the render thread alone, while the window's thread sits idle.
TEST(LogoWindow, ShowsItsAnimationOnTheScreen)
{
    RegisterLogoClass();
    HWND host = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
    HWND logo = CreateWindowExW(WS_EX_STATICEDGE, L"glLogoControl", L"", WS_CHILD | WS_VISIBLE, 10, 10, 105, 80, host,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(logo, nullptr);
    PumpMessages();
    std::vector<DWORD> earlier;
    EXPECT_TRUE(HoldsWithoutPumping([&] {
        earlier = ScreenPixels(logo);
        return HasLogoColours(earlier);
    })) << "the screen shows no blue backdrop and white cube where the logo is";
    EXPECT_TRUE(HoldsWithoutPumping([&] { return ScreenPixels(logo) != earlier; }))
        << "the logo on the screen does not move";
    DestroyWindow(host);
}

}  // namespace
