// The .TXT association: the ProgID rule, and what lands under HKEY_CLASSES_ROOT.
#include "prefs/fileassociation.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "tests/support/registry_reset.h"

namespace {

// A REG_SZ under HKEY_CLASSES_ROOT, else a note of what is there.
std::wstring ClassesString(const wchar_t* keyPath, const wchar_t* name = nullptr)
{
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
    if (SHGetValueW(HKEY_CLASSES_ROOT, keyPath, name, &type, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return type == REG_SZ ? data : L"<not a string>";
}

TEST(ProgIdTest, FileNameCutAtItsLastDotButNotAtALeadingOne)
{
    EXPECT_EQ(ProgIdFromPath(L"C:\\bin\\my.editor.exe"), L"my.editor");
    EXPECT_EQ(ProgIdFromPath(L"C:\\bin\\editor"), L"editor");
    EXPECT_EQ(ProgIdFromPath(L"C:\\bin\\.editor"), L".editor");
    EXPECT_EQ(ProgIdFromPath(L"C:\\bin\\"), L"");
}

TEST(FileAssociationTest, PointsTheExtensionAtTheProgramsProgIdOverAnyEarlierOne)
{
    ResetScrivletRegistry();
    const wchar_t program[] = L"C:\\Program Files\\My Tools\\scrivlet.exe";
    EXPECT_EQ(SetFileAssociation(program, L"", 1), -1);
    EXPECT_EQ(SetFileAssociation(L"C:\\bin\\", L".TXT", 1), -1) << "no ProgID: nothing written to the root";
    HKEY earlier;
    ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, L".txt", &earlier), ERROR_SUCCESS);
    RegSetValueExW(earlier, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), 16);
    RegCloseKey(earlier);
    // Twice: the second run finds every key and overwrites every value.
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(SetFileAssociation(program, L".TXT", 1), 0);
        const std::wstring command = L"\"C:\\Program Files\\My Tools\\scrivlet.exe\" \"%1\"";
        const std::wstring icon = L"C:\\Program Files\\My Tools\\scrivlet.exe,1";
        EXPECT_EQ(ClassesString(L"scrivlet"), L"Text Document");
        EXPECT_EQ(ClassesString(L"scrivlet\\shell\\open\\command"), command);
        EXPECT_EQ(ClassesString(L"scrivlet\\DefaultIcon"), icon);
        EXPECT_EQ(ClassesString(L".txt"), L"scrivlet");
        EXPECT_EQ(ClassesString(L".TXT\\DefaultIcon"), icon);
        EXPECT_EQ(ClassesString(L".TXT\\shell\\open\\command", L"scrivlet"), command);
    }
    EXPECT_EQ(SetFileAssociation(program, (L"." + std::wstring(300, L'x')).c_str(), 1), -8) << "key refused";
    ResetScrivletRegistry();
}

}  // namespace
