// The about box in the real frame: what it shows, where, and its link.
#include "about/aboutdialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/commands.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait.h"
#include "tests/support/test_thread.h"

namespace {

class AboutDialogTest : public FrameTest {
protected:
    // Runs IDM_ABOUT; once the box is up, another thread calls act with it
    // (the box is modal) and then closes it with closeId if it is still open.
    void WithAboutBox(const std::function<void(HWND)>& act, int closeId = IDOK)
    {
        bool seen = false;
        TestThread watcher([&] {
            DWORD start = GetTickCount();
            HWND box = nullptr;
            while (!(box = FindProcessDialog(GetCurrentProcessId())) && GetTickCount() - start < kDefaultWaitMs)
                Sleep(10);
            if (!box)
                return;
            seen = true;
            act(box);
            if (IsWindow(box))
                SendMessageTimeoutW(box, WM_COMMAND, closeId, 0, SMTO_NORMAL, kDefaultWaitMs, nullptr);
        });
        EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_ABOUT, 0), 0), 0);
        watcher.join();
        ASSERT_TRUE(seen) << "the about box did not appear";
        EXPECT_EQ(AboutHyperlink.window(), nullptr) << "the link outlived the box";
    }
};

// Counts the link's pixels in its normal (blue) and hover (red) colours.
std::pair<int, int> LinkColours(HWND link)
{
    RECT client;
    GetClientRect(link, &client);
    HDC dc = GetDC(link);
    int blue = 0, red = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            COLORREF pixel = GetPixel(dc, x, y);
            blue += pixel == RGB(0, 0, 255);
            red += pixel == RGB(255, 0, 0);
        }
    }
    ReleaseDC(link, dc);
    return {blue, red};
}

bool PointerOver(HWND link, bool inside)
{
    RECT bounds;
    GetWindowRect(link, &bounds);
    POINT target = {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    if (!inside)
        target.y = bounds.top - 12;
    // Wine takes the pointer's place back from the X server's motion events,
    // and one from an earlier move can arrive after this one: move again
    // until the place holds.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!SetCursorPos(target.x, target.y))
            return false;
        Sleep(100);
        POINT now;
        GetCursorPos(&now);
        if (now.x == target.x && now.y == target.y)
            return true;
    }
    return false;
}

void ClickHere()
{
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, press, sizeof(INPUT));
}

// Points the shell's https handler at a command that writes down the address
// it was given, and puts the real one back afterwards.
class RecordingBrowser {
public:
    explicit RecordingBrowser(const std::wstring& record)
    {
        RegCreateKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD bytes = sizeof(original_);
        hadOriginal_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(original_), &bytes) ==
                       ERROR_SUCCESS;
        std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo %1> \"" + record + L"\"";
        Set(command.c_str());
    }
    ~RecordingBrowser()
    {
        if (hadOriginal_)
            Set(original_);
        else
            RegDeleteValueW(key_, nullptr);
        RegCloseKey(key_);
    }

private:
    static constexpr const wchar_t* kCommandKey = L"https\\shell\\open\\command";
    void Set(const wchar_t* command)
    {
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                       static_cast<DWORD>((wcslen(command) + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
    wchar_t original_[1024] = {};
    bool hadOriginal_ = false;
};

TEST_F(AboutDialogTest, ShowsCreditsLogoAndLinkCentredOnTheMainWindow)
{
    std::wstring caption, credits, logoClass;
    RECT linkRect = {}, boxRect = {};
    HWND link = nullptr;
    WithAboutBox(
        [&](HWND box) {
            caption = WindowText(box);
            credits = WindowText(GetDlgItem(box, IDC_ABOUTTEXT));
            logoClass = ClassName(GetDlgItem(box, IDC_LOGO));
            link = AboutHyperlink.window();
            GetWindowRect(link, &linkRect);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&linkRect), 2);
            GetWindowRect(box, &boxRect);
            EXPECT_EQ(GetPropW(link, L"CLASSPOINTER"), &AboutHyperlink);
            EXPECT_EQ(GetParent(link), box);
        },
        IDCANCEL);
    EXPECT_EQ(caption, L"About Scrivlet");
    EXPECT_EQ(credits.rfind(L"Scrivlet 2.0.2 (", 0), 0u) << "first line: the product and version";
    for (const wchar_t* part : {L"\r\n---", L"\r\nSpecial thanks\r\n", L"\r\nNotes\r\n"})
        EXPECT_NE(credits.find(part), std::wstring::npos) << "credits lack " << std::string(part, part + wcslen(part));
    EXPECT_EQ(logoClass, L"glLogoControl");
    EXPECT_EQ(linkRect.left, 11);
    EXPECT_EQ(linkRect.top, 115);
    EXPECT_EQ(linkRect.right - linkRect.left, 185);
    EXPECT_EQ(linkRect.bottom - linkRect.top, 20);
    EXPECT_FALSE(IsWindow(link));

    RECT mainRect;
    GetWindowRect(window_, &mainRect);
    EXPECT_NEAR(boxRect.left + boxRect.right, mainRect.left + mainRect.right, 2);
    EXPECT_NEAR(boxRect.top + boxRect.bottom, mainRect.top + mainRect.bottom, 2);
}

TEST_F(AboutDialogTest, LinkTurnsRedUnderThePointerAndAClickOpensTheProjectPageEachTime)
{
    ScratchFolder folder;
    std::wstring record = folder.Path(L"browser.txt");
    RecordingBrowser browser(record);
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        DeleteFileW(record.c_str());
        WithAboutBox([&](HWND box) {
            HWND link = AboutHyperlink.window();
            ASSERT_TRUE(PointerOver(link, false));
            ASSERT_TRUE(WaitUntil([&] { return LinkColours(link).first > 0; })) << "link not drawn in blue";
            EXPECT_EQ(LinkColours(link).second, 0);

            ASSERT_TRUE(PointerOver(link, true));
            EXPECT_TRUE(WaitUntil([&] { return LinkColours(link).second > 0 && LinkColours(link).first == 0; }))
                << "link not red under the pointer";
            ClickHere();
            EXPECT_TRUE(WaitUntil([&] { return FileExists(record) && ReadBytes(record).find("https://") == 0; }))
                << "the browser was not started";
            EXPECT_TRUE(IsWindow(box)) << "the click closed the box";

            ASSERT_TRUE(PointerOver(link, false));
            EXPECT_TRUE(WaitUntil([&] { return LinkColours(link).first > 0 && LinkColours(link).second == 0; }))
                << "link not blue again after the pointer left";
        });
        std::string page(kProjectPage, kProjectPage + wcslen(kProjectPage));
        EXPECT_EQ(FileExists(record) ? ReadBytes(record) : "", page + "\r\n");
    }
}

TEST(HyperlinkControl, CreateRefusesAMissingParentFaceOrSize)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HyperlinkParams good = {};
    good.parent = parent;
    good.width = 50;
    good.height = 10;
    good.face = L"MS Sans Serif";
    good.text = L"link";
    HyperlinkControl link;
    ASSERT_TRUE(link.Create(good));
    EXPECT_EQ(GetParent(link.window()), parent);
    link.Release();
    link.Release();

    HyperlinkParams bad[4] = {good, good, good, good};
    bad[0].parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    bad[1].width = 0;
    bad[2].height = -1;
    bad[3].face = nullptr;
    for (const HyperlinkParams& params : bad) {
        EXPECT_FALSE(link.Create(params));
        EXPECT_EQ(link.window(), nullptr);
    }
    DestroyWindow(parent);
}

}  // namespace
