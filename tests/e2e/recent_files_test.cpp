// Which file each recent command of the real program opens, after histories
// of files dropped onto it one by one.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/recent_cases.h"
#include "tests/support/registry_reset.h"

namespace {

const wchar_t kScrivletKey[] = L"Software\\Scrivlet";
const wchar_t kSnapshotKey[] = L"Software\\ScrivletRecentSnapshot";

// Copies the program's stored state from one place to another, whatever its layout.
bool CopyKey(HKEY fromRoot, const wchar_t* from, HKEY toRoot, const wchar_t* to)
{
    SHDeleteKeyW(toRoot, to);
    HKEY destination;
    if (RegCreateKeyExW(toRoot, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &destination, nullptr) != ERROR_SUCCESS)
        return false;
    bool copied = SHCopyKeyW(fromRoot, from, destination, 0) == ERROR_SUCCESS;
    RegCloseKey(destination);
    return copied;
}

class RecentCommandsTest : public ProgramTest, public ::testing::WithParamInterface<RecentCase> {
protected:
    void TearDown() override
    {
        SHDeleteKeyW(HKEY_CURRENT_USER, kSnapshotKey);
        ProgramTest::TearDown();
    }
    std::wstring Prepare(const std::wstring& relative)
    {
        CreateDirectoryW(folder_.Path(L"other").c_str(), nullptr);
        return folder_.Write(relative, std::string(relative.begin(), relative.end()));
    }
    static std::wstring TitleOf(const std::wstring& relative) { return L" " + RecentName(relative) + L" - Scrivlet"; }
};

TEST_P(RecentCommandsTest, EachNumberOpensTheEntryShownUnderIt)
{
    const RecentCase& recent = GetParam();
    for (const std::wstring& stored : recent.storedBefore)
        AddRecentEntry(RecentName(stored), Prepare(stored));
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const std::wstring& opened : recent.opened) {
        ASSERT_TRUE(program().DropFiles({Prepare(opened)}));
        ASSERT_NO_FATAL_FAILURE(ExpectTitle(TitleOf(opened)));
    }
    for (const std::wstring& removed : recent.removedBehind)
        RemoveRecentEntry(RecentName(removed));
    for (const std::wstring& added : recent.addedBehind)
        AddRecentEntry(RecentName(added), Prepare(added));

    // Opening an entry changes the list, so every command starts from the same one.
    ASSERT_TRUE(CopyKey(HKEY_LOCAL_MACHINE, kScrivletKey, HKEY_CURRENT_USER, kSnapshotKey));
    for (size_t number = 0; number < recent.expected.size(); ++number) {
        ASSERT_TRUE(CopyKey(HKEY_CURRENT_USER, kSnapshotKey, HKEY_LOCAL_MACHINE, kScrivletKey));
        program().PostCommand(IDM_RECENT1 + static_cast<UINT>(number));
        const std::wstring& entry = recent.expected[number];
        ASSERT_NO_FATAL_FAILURE(ExpectTitle(TitleOf(entry))) << "command " << number + 1;
        EXPECT_EQ(program().EditText(), entry) << "command " << number + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Histories, RecentCommandsTest, ::testing::ValuesIn(kRecentCases),
                         [](const ::testing::TestParamInfo<RecentCase>& info) { return info.param.label; });

}  // namespace
