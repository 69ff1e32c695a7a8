// Page Setup: the stored margins, header and footer, read as the default when
// missing or hostile, and the system's dialog driven as a user would.
#include "print/pagesetup.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "prefs/settings.h"
#include "res/resource.h"
#include "tests/support/print_fixture.h"
#include "tests/support/test_thread.h"
#include "tests/support/wait.h"

namespace {

using Margins = std::vector<DWORD>;

Margins Read(const PageMargins& margins)
{
    return Margins{margins.left, margins.top, margins.right, margins.bottom};
}

const Margins kDefaults = {2000, 2000, 2000, 2000};

class PageSetupTest : public PrintTest {
protected:
    // Runs File > Page Setup with a stand-in user, who fills the margin boxes
    // with text and presses button.
    void RunPageSetup(int button, const wchar_t* text)
    {
        std::atomic<bool> stop{false};
        bool seen = false;
        TestThread user([&] {
            HWND dialog = nullptr;
            WaitUntil([&] { return stop || (dialog = FindProcessDialog(GetCurrentProcessId())) != nullptr; }, 10000);
            if (!dialog)
                return;
            seen = true;
            for (int box : {edt4, edt5, edt6, edt7})
                SetDlgItemTextW(dialog, box, text);
            PostMessageW(dialog, WM_COMMAND, button, 0);
        });
        EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_PAGESETUP, 0), 0), 0);
        stop = true;
        user.join();
        ASSERT_TRUE(seen) << "Page Setup did not open";
    }
};

TEST_F(PageSetupTest, StoredMarginsReadAsTheDefaultWhenMissingOrHostile)
{
    EXPECT_EQ(Read(StoredMargins()), kDefaults) << "missing";
    PageMargins stored = {1000, 1500, 0, 100000};
    SetSettingBinary(L"PageMargins", &stored, sizeof(stored));
    EXPECT_EQ(Read(StoredMargins()), (Margins{1000, 1500, 0, 100000}));
    stored.top = 100001;
    SetSettingBinary(L"PageMargins", &stored, sizeof(stored));
    EXPECT_EQ(Read(StoredMargins()), kDefaults) << "out of range";
    SetSettingBinary(L"PageMargins", &stored, sizeof(stored) - 4);
    EXPECT_EQ(Read(StoredMargins()), kDefaults) << "short";
}

TEST_F(PageSetupTest, StoredHeaderAndFooterReadAsTheDefaultWhenMissingOrHostile)
{
    EXPECT_EQ(StoredHeader(), L"&c&f, page &p");
    EXPECT_EQ(StoredFooter(), L"");
    wchar_t text[kPageTextCapacity] = L"&lleft&rpage &p of &P";
    SetSettingBinary(L"PageFooter", text, sizeof(text));
    EXPECT_EQ(StoredFooter(), L"&lleft&rpage &p of &P");
    std::wstring unterminated(kPageTextCapacity, L'x');
    SetSettingBinary(L"PageHeader", unterminated.data(), sizeof(text));
    EXPECT_EQ(StoredHeader(), L"&c&f, page &p");
    SetSettingBinary(L"PageFooter", text, sizeof(text) - 2);
    EXPECT_EQ(StoredFooter(), L"");
}

TEST_F(PageSetupTest, HeaderAndFooterDialogShowsTheStoredTextsAndStoresOnOkOnly)
{
    StoreHeaderAndFooter(L"&lold", L"&rfoot");
    for (int button : {IDCANCEL, IDOK}) {
        std::wstring shown;
        TestThread user([&] {
            HWND dialog = nullptr;
            WaitUntil([&] { return (dialog = FindProcessDialog(GetCurrentProcessId())) != nullptr; });
            if (!dialog)
                return;
            shown =
                WindowText(GetDlgItem(dialog, IDC_HEADERTEXT)) + L"|" + WindowText(GetDlgItem(dialog, IDC_FOOTERTEXT));
            SetDlgItemTextW(dialog, IDC_HEADERTEXT, L"&cnew &f");
            SetDlgItemTextW(dialog, IDC_FOOTERTEXT, L"");
            PostMessageW(dialog, WM_COMMAND, button, 0);
        });
        EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_HEADERFOOTER, 0), 0), 0);
        user.join();
        EXPECT_EQ(shown, L"&lold|&rfoot");
    }
    EXPECT_EQ(StoredHeader() + L"|" + StoredFooter(), L"&cnew &f|");
}

TEST(PageSetupUnitsTest, MarginsGoToTheUsersUnitsAndBack)
{
    EXPECT_EQ((std::vector<int>{MarginToDialog(2000, false), MarginToDialog(2000, true), MarginToDialog(2540, true)}),
              (std::vector<int>{2000, 787, 1000}));
    EXPECT_EQ((Margins{MarginFromDialog(2500, false), MarginFromDialog(1000, true), MarginFromDialog(-5, true)}),
              (Margins{2500, 2540, 0}));
}

TEST_F(PageSetupTest, MarginsChosenInTheDialogAreStored)
{
    // The dialog shows the user's units: inches or millimetres.
    wchar_t measure[2] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 2);
    bool inches = measure[0] == L'1';
    RunPageSetup(IDOK, inches ? L"1" : L"25");
    DWORD chosen = inches ? 2540 : 2500;
    EXPECT_EQ(Read(StoredMargins()), (Margins{chosen, chosen, chosen, chosen}));
}

TEST_F(PageSetupTest, CancelStoresNothing)
{
    RunPageSetup(IDCANCEL, L"3");
    EXPECT_EQ(Read(StoredMargins()), kDefaults);
    DWORD paper = 1;
    GetSettingDword(L"PaperSize", &paper);
    EXPECT_EQ(paper, 0u) << "a paper was stored";
}

}  // namespace
