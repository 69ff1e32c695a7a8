// A test that runs against the program's real main window, built exactly as at
// start-up (hidden), in this process, from a clean registry.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds (again) the frame as start-up does; the registry is kept.
    void CreateFrame();
    void DestroyFrame();

    HWND edit() const;
    std::wstring EditText() const;
    // Text, as the control holds it once the queued hand-over is done.
    std::wstring EditTextAfterPump() const;
    bool WrapIsOn() const;

    HWND window_ = nullptr;
};
