#include <gtest/gtest.h>

#include <string>

#include "platform/console_text.h"

namespace {

// A few characters of code page 932, enough to tell every path apart; the
// builds pass the system's own decoder.
long decode(const unsigned char* b, int count) {
    if (count == 1) {
        if (b[0] <= 0x80) return b[0];                             // 0x80 is U+0080, a C1 control
        if (b[0] >= 0xA1 && b[0] <= 0xDF) return 0xFF61 + b[0] - 0xA1;  // half-width katakana
        return -1;
    }
    if (b[0] == 0x82 && b[1] == 0xA0) return 0x3041;  // ぁ
    if (b[0] == 0x81 && b[1] == 0x40) return 0x3000;  // the ideographic space
    if (b[0] == 0x87 && b[1] == 0x40) return 0x2028;  // no such pair; a separator for the test
    return -1;
}

std::u32string shown(const std::string& text) {
    std::u32string out(text.size(), U'?');
    out.resize(platform::shown_code_points(text.data(), static_cast<int>(text.size()), decode, out.data()));
    return out;
}

TEST(ConsoleText, ShowsCharactersAndDotsForControlsAndWhatDoesNotDecode) {
    const struct {
        const char* name;
        std::string text;
        std::u32string expected;
    } cases[] = {
        {"text and CR LF pass", "Msg:AB \r\n", U"Msg:AB \r\n"},
        {"half-width katakana", "\xBA\xDD\xCA\xDE", U"\uFF7A\uFF9D\uFF8A\uFF9E"},
        {"two-byte characters", "\x82\xA0\x81\x40", U"\u3041\u3000"},
        {"escape sequences lose their ESC", "\x1B]0;x\x07" "AB\x1B[31m", U".]0;x.AB.[31m"},
        {"lone CR, lone LF, DEL", "a\rb\nc\x7F", U"a.b.c."},
        {"CR as the last byte", "a\r", U"a."},
        {"a C1 control", "\x80", U"."},
        {"a pair that decodes to a line separator", "\x87\x40", U"."},
        {"a byte that does not decode", "\xFD" "a", U".a"},
        {"a lead byte whose pair does not decode: the next byte on its own", "\x82" "A", U".A"},
        {"the next byte on its own starts a pair", "\x81\x82\xA0", U".\u3041"},
        {"a lead byte at the end", "a\x82", U"a."},
        {"nothing", "", U""},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(c.text), c.expected) << c.name;
}

}  // namespace
