// The logo control: the course of its angles, its picture, and a render thread
// that lives exactly as long as its window.
#include "about/gllogo.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
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

// Whether the picture the render thread draws holds the backdrop's blue. Read
// through a context of our own on the window's device context: under Wine the
// window's GDI pixels do not show OpenGL output.
bool ShowsBlue(HWND logo)
{
    RECT client;
    GetClientRect(logo, &client);
    std::vector<unsigned char> pixels(client.right * client.bottom * 4);
    HDC dc = GetDC(logo);
    HGLRC reader = wglCreateContext(dc);
    if (reader && wglMakeCurrent(dc, reader)) {
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, client.right, client.bottom, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        wglMakeCurrent(nullptr, nullptr);
    }
    wglDeleteContext(reader);
    ReleaseDC(logo, dc);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i + 2] > 100 && pixels[i + 2] > pixels[i] + 30)
            return true;
    }
    return false;
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

}  // namespace
