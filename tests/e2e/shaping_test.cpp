// Text that the system shapes before the edit control shows it: Arabic, whose
// lam and alef join into one glyph that carries the fatha.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_test.h"

namespace {

// Wine 8's 64-bit OpenType positioning reads far outside its advance array in
// the mark-to-ligature lookup that places the fatha on the lam-alef: every
// font Wine has for Arabic (DejaVu Sans, its own Tahoma) has such a lookup.
// The 32-bit Wine reads just in front of the array instead and goes on.
bool ShapingCrashesHere()
{
    return sizeof(void*) == 8 && GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
}

class ShapingTest : public ProgramTest {};

TEST_F(ShapingTest, LamAlefWithFathaIsShown)
{
    if (ShapingCrashesHere())
        GTEST_SKIP() << "Wine 8's 64-bit text shaping crashes on this text (GPOS mark-to-ligature); "
                        "the 32-bit program shows it";
    const std::wstring path = folder_.Write(L"arabic.txt", std::string("\xFF\xFE\x44\x06\x27\x06\x4E\x06\r\0\n\0", 12));
    ASSERT_NO_FATAL_FAILURE(Start(path));
    ExpectTitle(L" arabic.txt - Scrivlet");
    EXPECT_EQ(program().EditText(), L"\x0644\x0627\x064E\r\n");
    program().Close();
    DWORD code = 12345;
    ASSERT_TRUE(program().WaitForExit(&code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
}

}  // namespace
