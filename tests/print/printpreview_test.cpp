// Print Preview over the frame's document, driven by a stand-in user from
// another thread while the preview runs its own loop.
#include "print/printpreview.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "res/resource.h"
#include "tests/support/print_fixture.h"
#include "tests/support/test_thread.h"
#include "tests/support/wait.h"

namespace {

const wchar_t kPreviewClass[] = L"Scrivlet_Preview";

class PrintPreviewTest : public PrintTest {
protected:
    // Runs File > Print Preview while user acts on the preview window, which
    // the user is given once it shows.
    void RunPreview(const std::function<void(HWND)>& user)
    {
        TestThread thread([&] {
            HWND preview = nullptr;
            WaitUntil(
                [&] { return (preview = FindProcessWindow(GetCurrentProcessId(), kPreviewClass, true)) != nullptr; });
            if (!preview)
                return;
            owner_ = GetWindow(preview, GW_OWNER);
            frameEnabled_ = IsWindowEnabled(window_) != FALSE;
            user(preview);
        });
        EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_PRINTPREVIEW, 0), 0), 0);
        thread.join();
        EXPECT_EQ(owner_, window_) << "no preview owned by the main window appeared";
        EXPECT_EQ(FindProcessWindow(GetCurrentProcessId(), kPreviewClass, false), nullptr);
        EXPECT_TRUE(IsWindowEnabled(window_));
    }

    HWND owner_ = nullptr;
    bool frameEnabled_ = true;
};

// The page number once it changes from before, as a key leaves it.
std::wstring PageNumberAfter(HWND preview, const std::wstring& before)
{
    HWND number = GetDlgItem(preview, IDC_PREVIEWPAGENUMBER);
    WaitUntil([&] { return WindowText(number) != before; });
    return WindowText(number);
}

TEST_F(PrintPreviewTest, PagesWithTheKeysAndClosesWithEsc)
{
    SetLines(300);
    std::vector<std::wstring> shown;
    RunPreview([&](HWND preview) {
        HWND sheet = GetDlgItem(preview, IDC_PREVIEWSHEET);
        // The page count comes once the rest is laid out, while the
        // preview waits.
        HWND number = GetDlgItem(preview, IDC_PREVIEWPAGENUMBER);
        WaitUntil([&] { return WindowText(number).find(L" of ") != std::wstring::npos; });
        shown.push_back(WindowText(number));
        for (WPARAM key : {VK_NEXT, VK_NEXT, VK_PRIOR, VK_END, VK_HOME}) {
            PostMessageW(sheet, WM_KEYDOWN, key, 0);
            shown.push_back(PageNumberAfter(preview, shown.back()));
        }
        PostMessageW(sheet, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_FALSE(frameEnabled_) << "the text could be edited under the preview";
    ASSERT_EQ(shown.size(), 6u);
    const std::wstring pages = shown[0].substr(shown[0].find(L" of "));
    EXPECT_GE(std::stoi(pages.substr(4)), 4);
    EXPECT_EQ(shown,
              (std::vector<std::wstring>{L"Page 1" + pages, L"Page 2" + pages, L"Page 3" + pages, L"Page 2" + pages,
                                         L"Page " + pages.substr(4) + pages, L"Page 1" + pages}));
}

TEST_F(PrintPreviewTest, PrintClosesThePreviewAndOpensThePrintDialog)
{
    SetLines(3);
    bool previewGone = false;
    RunPreview([&](HWND preview) {
        PostMessageW(preview, WM_COMMAND, IDC_PREVIEWPRINT, 0);
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindProcessDialog(GetCurrentProcessId())) != nullptr; });
        if (!dialog)
            return;
        previewGone = !IsWindow(preview);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(previewGone) << "no Print dialog over a closed preview";
}

}  // namespace
