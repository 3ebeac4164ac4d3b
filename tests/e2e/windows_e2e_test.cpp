// What the Windows build must do as well as the Linux one, run against
// both: a line that goes and comes back, and a console that shows the
// program's text readably and harmlessly.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "harness.h"
#include "texts.h"

namespace {

using namespace e2e;
using e2e::monitor;
using namespace e2e::texts;

int exit_code(const monitor& m) { return WIFEXITED(m.status) ? WEXITSTATUS(m.status) : -1; }

// A monitor watching a radio whose line then goes away: radio-sim ends as
// a USB adapter pulled out does, its line hung up and its COM link gone.
class LineAway : public ::testing::Test {
  protected:
    void SetUp() override {
        // A number that names no serial device of this machine once the
        // link is gone (COM n without a link is /dev/ttyS(n-1)).
        com = std::to_string(200 + getpid() % 40);
        sim = start_radio({"--com", com}, "await 2\nmessage \"before\"\n");
        ASSERT_EQ(std::to_string(sim.com), com) << sim.log;
        mon = start_monitor();
        ASSERT_TRUE(answer_prompt(mon, com));
        ASSERT_TRUE(wait_for(mon, mon.out_path, "before"));
        stop_radio(sim);
        ASSERT_TRUE(wait_for(mon, mon.out_path, LINE_LOST)) << file_text(mon.out_path);
    }
    void TearDown() override {
        kill_monitor(mon);
        stop_radio(sim);
        std::filesystem::remove(prefix() + "/dosdevices/com" + com);
    }
    std::string before() const { return READY + "Msg:before              \r\n" + LINE_LOST; }
    radio sim;
    monitor mon;
    std::string com;
};

TEST_F(LineAway, WaitsQuietlyAndTakesTheRadioUpAgainWhenItIsBack) {
    if (!under_wine()) GTEST_SKIP() << "natively Station.CableThatComesBackIsMonitoredAgain";
    // Away for a few reopening rounds: no open error each time, no busy loop.
    const double cpu_before = cpu_seconds(mon.pid);
    EXPECT_TRUE(still_running_after(mon, 3.0));
    const double used = cpu_seconds(mon.pid) - cpu_before;
    EXPECT_LT(used, 1.0) << "a third of a core while the line is away: the loop spins";
    EXPECT_EQ(file_text(mon.out_path), before());

    sim = start_radio({"--com", com}, "await 2\nmessage \"after\"\n");
    ASSERT_EQ(std::to_string(sim.com), com) << sim.log;
    ASSERT_TRUE(wait_for(mon, mon.out_path, "after")) << file_text(mon.out_path);
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_EQ(exit_code(mon), 0);
    EXPECT_EQ(file_text(mon.out_path), before() + READY + "Msg:after               \r\n");
    // The whole handshake again, on the new line.
    EXPECT_TRUE(wait_radio(sim, "from the controller: FE FE 7C E0 20 01 00 01 FD", 1)) << sim.log;
}

TEST_F(LineAway, EscEndsWhileTheLineIsAway) {
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_EQ(exit_code(mon), 0);
    EXPECT_EQ(file_text(mon.out_path), before());
}

TEST_F(LineAway, ADeviceThatComesBackRefusingTheSettingsEndsWithTheDcbError) {
    // Something that opens but is no serial line, under the same COM number.
    std::filesystem::create_symlink("/dev/null", prefix() + "/dosdevices/com" + com);
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_EQ(exit_code(mon), 1);
    EXPECT_EQ(file_text(mon.out_path), before() + DCB_ERROR);
}

}  // namespace

namespace {

using namespace e2e;
using e2e::monitor;
using namespace e2e::texts;

// On the console, code page 932 text reads as characters (UTF-8 on this
// terminal) and nothing from the air acts as an escape sequence, on the
// call-sign line as well; standard error, redirected, keeps its bytes.
TEST(Console, ShowsKatakanaAndNoEscapeSequenceFromTheAir) {
    radio sim = start_radio({}, "await 2\n"
                                "callsign 01 \"\\x1B]0;x\\x07" "AB\" \"ID51\" \"CQCQCQ\" \"\\x1B[31m\" \"N0RPT  G\"\n"
                                "message \"\\xBA\\xDD\\xCA\\xDE\\xDD\\xDC 73\\x88\\x9F\\x81 \\xE0\"\n");
    ASSERT_GT(sim.com, 0) << sim.log;
    monitor m = start_monitor(output_to::console);
    const cleanup ends{sim, m};
    ASSERT_TRUE(answer_prompt(m, std::to_string(sim.com)));
    // The terminal adds a CR to each line end, and Wine's console draws
    // trailing blanks as an erase to the end of the line: both are the
    // terminal's, so the lines are compared up to there.
    const std::string message = "Msg:\uFF7A\uFF9D\uFF8A\uFF9E\uFF9D\uFF9C 73\u4E9C. .";
    ASSERT_TRUE(wait_for(m, "", message)) << m.console_text;
    ASSERT_TRUE(end_with_esc(m));
    const std::string& screen = m.console_text;
    EXPECT_NE(screen.find(".]0;x.AB  /ID51   CQCQCQ     .[31m      N0RPT  G  RPT?\r"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\x1B]0;x"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\x1B[31m"), std::string::npos) << screen;
    EXPECT_EQ(file_text(m.err_path), BANNER + PROMPT + FAREWELL);
}

}  // namespace
