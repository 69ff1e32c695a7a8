#include "tests/support/print_fixture.h"

#include "prefs/appearance.h"
#include "print/printerchoice.h"

void PrintTest::SetUp()
{
    FrameTest::SetUp();
    EditFont = CreateDefaultEditFont();
}

void PrintTest::TearDown()
{
    FreePrinterChoice();
    FrameTest::TearDown();
}

std::vector<std::string> PrintTest::SetLines(int count)
{
    std::vector<std::string> lines;
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += (lines.emplace_back("line " + std::to_string(i))) + "\r\n";
    SetWindowTextA(edit(), text.c_str());
    return lines;
}
