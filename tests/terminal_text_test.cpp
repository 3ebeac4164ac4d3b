#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/posix/terminal_text.h"

namespace {

// The terminal's character set is the one of the locale the environment
// names, read once, at the first text: these tests expect UTF-8, whatever
// the locale of whoever runs them.
class TerminalText : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char* all = std::getenv("LC_ALL");
        lc_all = all ? std::optional<std::string>(all) : std::nullopt;
        ctype = std::setlocale(LC_CTYPE, nullptr);
        setenv("LC_ALL", "C.UTF-8", 1);
    }
    static void TearDownTestSuite() {
        if (lc_all) setenv("LC_ALL", lc_all->c_str(), 1);
        else unsetenv("LC_ALL");
        std::setlocale(LC_CTYPE, ctype.c_str());
    }
    static inline std::optional<std::string> lc_all;
    static inline std::string ctype;
};

std::string rendered(const std::string& s) {
    std::string out(4 * s.size(), '?');
    out.resize(platform::posix::render_for_terminal(s.data(), static_cast<int>(s.size()), out.data()));
    return out;
}

TEST_F(TerminalText, ShiftJisBecomesReadable) {
    EXPECT_EQ(rendered("Hit anykey\r\n"), "Hit anykey\r\n");
    EXPECT_EQ(rendered("\x82\x62\x82\x6E\x82\x6C\x94\xD4\x8D\x86\x82\xF0\x93\xFC\x97\xCD"
                       "\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2 :"),
              "ＣＯＭ番号を入力してください :");
    EXPECT_EQ(rendered("\x83\x49\x81\x5B\x83\x76\x83\x93\x81\x45\x83\x47\x83\x89\x81\x5B\r\n"),
              "オープン・エラー\r\n");
    EXPECT_EQ(rendered("Msg:\xB1\xB2\xB3 \xDF"), "Msg:ｱｲｳ ﾟ");
}

TEST_F(TerminalText, NothingFromTheAirControlsTheTerminal) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"\x1B[2J\x1B]0;title\x07", ".[2J.]0;title."},
        {std::string("a\0b", 3), "a.b"},
        {"a\rb", "a.b"},                  // a CR alone would overwrite the line
        {"a\nb", "a.b"},                  // line ends are CR LF
        {"\x7F\x80\xA0\xFD\xFE\xFF", "......"},  // DEL, and bytes that are no character
        {"\x82\r\n", ".\r\n"},            // a first byte cut off by the line end
        {"\x81\x3F", ".?"},               // not a pair: the second byte stands alone
        {"JA1\x82", "JA1."},              // cut off at the end
        {"\x9B" "31m", ".31m"},           // C1 CSI is no character here
    };
    for (const auto& c : cases) EXPECT_EQ(rendered(c.in), c.out) << c.in;
}

}  // namespace
