#include <gtest/gtest.h>

#include <string>

#include "platform/text_mode.h"

namespace {

std::string crlf(const std::string& s) {
    std::string out(2 * s.size(), '?');
    out.resize(platform::to_crlf(s.data(), static_cast<int>(s.size()), out.data()));
    return out;
}

TEST(TextMode, EveryLineFeedGoesOutAsCrLf) {
    EXPECT_EQ(crlf(""), "");
    EXPECT_EQ(crlf("Hit anykey\n"), "Hit anykey\r\n");
    EXPECT_EQ(crlf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(crlf(std::string("a\0\nb\r", 5)), std::string("a\0\r\nb\r", 6));
    EXPECT_EQ(crlf("a\r\n"), "a\r\r\n");  // text streams translate blindly
}

}  // namespace
