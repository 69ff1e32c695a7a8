// The frame with the editor's font made, as printing needs it, and the
// printer choice of the process dropped after each test.
#pragma once
#include <string>
#include <vector>

#include "tests/support/frame_fixture.h"

class PrintTest : public FrameTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the document the lines "line 1" to "line count" and returns them.
    std::vector<std::string> SetLines(int count);
};
