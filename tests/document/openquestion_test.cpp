// The question before opening a file whose layout takes long, as a pure
// function of the size, word wrap and the measured layout speed.
#include "document/openquestion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const ULONGLONG kMegabyte = 1ull << 20;

TEST(QuestionBeforeOpen, AsksAboutTheTimeAboveAFewSecondsAndAboutWordWrapAbove500KilobytesInOneBox)
{
    const LayoutSpeed speed = {0.5, 2.0};  // seconds a megabyte, wrap off and on
    const struct {
        ULONGLONG size;
        bool wrapOn;
        OpenQuestion question;
        double seconds;
    } cases[] = {
        {512000, true, OpenQuestion::None, 512000 * 2.0 / kMegabyte},
        {512001, true, OpenQuestion::WordWrap, 512001 * 2.0 / kMegabyte},
        {512001, false, OpenQuestion::None, 512001 * 0.5 / kMegabyte},
        {10 * kMegabyte, false, OpenQuestion::None, 5},  // exactly a few seconds
        {10 * kMegabyte + 1, false, OpenQuestion::LongLayout, (10 * kMegabyte + 1) * 0.5 / kMegabyte},
        {2 * kMegabyte, true, OpenQuestion::WordWrap, 4},
        {3 * kMegabyte, true, OpenQuestion::LongLayoutWithWordWrap, 6},
        {1900000000, false, OpenQuestion::LongLayout, 1900000000 * 0.5 / kMegabyte},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuestionBeforeOpen(c.size, c.wrapOn, speed), c.question) << c.size << " wrap " << c.wrapOn;
        EXPECT_DOUBLE_EQ(ExpectedLayoutSeconds(c.size, c.wrapOn, speed), c.seconds) << c.size;
    }
}

TEST(FormatDuration, SaysSecondsMinutesOrHoursAsAUserReadsThem)
{
    const struct {
        double seconds;
        const wchar_t* text;
    } cases[] = {
        {0.2, L"1 second"},  {5.4, L"5 seconds"},   {89.4, L"89 seconds"}, {89.6, L"2 minutes"},
        {150, L"3 minutes"}, {5369, L"89 minutes"}, {5400, L"1.5 hours"},  {36000, L"10.0 hours"},
    };
    for (const auto& c : cases) {
        wchar_t text[32] = {};
        FormatDuration(c.seconds, text);
        EXPECT_EQ(std::wstring(text), c.text) << c.seconds;
    }
}

}  // namespace
