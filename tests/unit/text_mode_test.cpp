#include <gtest/gtest.h>

#include <string>

#include "start/text_mode.h"

namespace {
std::string TextMode(std::string s) {
    s.resize(tessel::TextModeInPlace(reinterpret_cast<unsigned char*>(s.data()), s.size()));
    return s;
}
}  // namespace

TEST(TextMode, CrLfBecomesLfLoneCrAndNulStay) {
    EXPECT_EQ(TextMode("a\r\nb\rc\n\r\n"), "a\nb\rc\n\n");
    EXPECT_EQ(TextMode(std::string("x\0\r\ny", 5)), std::string("x\0\ny", 4));
    EXPECT_EQ(TextMode("\r\r\n"), "\r\n");
    EXPECT_EQ(TextMode("end\r"), "end\r");
}

TEST(TextMode, CtrlZEndsTheInput) {
    EXPECT_EQ(TextMode("abc\x1a" "def"), "abc");
    EXPECT_EQ(TextMode("\x1a"), "");
    EXPECT_EQ(TextMode(""), "");
}
