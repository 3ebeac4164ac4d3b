#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "civ/civ.h"
#include "fake_platform.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"

namespace {

using line_t = std::vector<std::optional<unsigned char>>;

line_t operator+(line_t a, const line_t& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const line_t ECHO_CALLSIGN = fake::bytes({0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD});
const line_t ECHO_MESSAGE = fake::bytes({0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x01, 0x00, 0x01, 0xFD});
const line_t OK = fake::bytes({0xFE, 0xFE, 0xE0, 0x7C, 0xFB, 0xFD});
const line_t NG = fake::bytes({0xFE, 0xFE, 0xE0, 0x7C, 0xFA, 0xFD});
const line_t QUIET = fake::bytes({-1, -1, -1});
const line_t MESSAGE = fake::bytes({0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x01, 0x01, 'C', 'Q', ' ', 'd', 'e', ' ', 'J', 'A',
                                    '1', 'Y', 'A', 'A', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0xFD});
const std::string MESSAGE_LINE = "out:Msg:CQ de JA1YAA        \n";

const std::string SENT_CALLSIGN = "sent:FE FE 7C E0 20 00 00 01 FD";
const std::string SENT_MESSAGE = "sent:FE FE 7C E0 20 01 00 01 FD";
const std::string READY = std::string("out:") + monitor::READY;
const std::vector<std::string> FAREWELL = {"key", "closed", std::string("err:") + monitor::FAREWELL, "key"};

std::vector<std::string> with_farewell(std::vector<std::string> events) {
    events.insert(events.end(), FAREWELL.begin(), FAREWELL.end());
    return events;
}

class ReceiveLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        civ::port_handle = 42;
    }
    std::vector<std::string> run(const line_t& line) {
        fake::the.line = line;
        monitor::run_receive_loop();
        return fake::the.events;
    }
};

TEST_F(ReceiveLoop, FullHandshakeWithEchoes) {
    EXPECT_EQ(run(ECHO_CALLSIGN + QUIET + OK + ECHO_MESSAGE + OK + QUIET + MESSAGE),
              with_farewell({SENT_CALLSIGN, SENT_MESSAGE, READY, MESSAGE_LINE}));
    // Each setup frame goes on the pass after the answer's FD.
    EXPECT_EQ(fake::the.sent_after_reads, (std::vector<long>{0, 18}));
    EXPECT_EQ(monitor::setup_state, 7);
    EXPECT_EQ(civ::frame_len, 0);
}

TEST_F(ReceiveLoop, NegativeAnswersMoveTheHandshakeOnToo) {
    EXPECT_EQ(run(NG + NG + QUIET), with_farewell({SENT_CALLSIGN, SENT_MESSAGE, READY}));
}

TEST_F(ReceiveLoop, EchoesAloneDoNotMoveTheHandshake) {
    EXPECT_EQ(run(ECHO_CALLSIGN + ECHO_CALLSIGN + QUIET), with_farewell({SENT_CALLSIGN}));
    EXPECT_EQ(monitor::setup_state, 3);
}

TEST_F(ReceiveLoop, SilentRadioStillEndsOnEsc) {
    EXPECT_EQ(run(QUIET), with_farewell({SENT_CALLSIGN}));
    EXPECT_TRUE(fake::the.closed);
}

TEST_F(ReceiveLoop, ReportsBeforeTheReadyLineArePrintedAndCountAsAnswers) {
    EXPECT_EQ(run(MESSAGE + MESSAGE + MESSAGE),
              with_farewell({SENT_CALLSIGN, MESSAGE_LINE, SENT_MESSAGE, MESSAGE_LINE, READY, MESSAGE_LINE}));
}

TEST_F(ReceiveLoop, ReadyIsWrittenOnceOnly) {
    run(OK + OK + OK + OK + MESSAGE + OK);
    int ready = 0;
    for (const auto& e : fake::the.events) ready += e == READY;
    EXPECT_EQ(ready, 1);
}

TEST_F(ReceiveLoop, FrameEndingInTheFirstPassIsTheFirstAnswer) {
    // A frame already arriving when we start: its FD comes in the pass
    // that sends the first setup frame.
    EXPECT_EQ(run(fake::bytes({0xFD}) + QUIET), with_farewell({SENT_CALLSIGN, SENT_MESSAGE}));
    EXPECT_EQ(fake::the.sent_after_reads, (std::vector<long>{0, 1}));
}

TEST_F(ReceiveLoop, OnlyEscAndCtrlCEndTheLoop) {
    const struct {
        std::vector<int> keys;
        int keys_read_in_loop;  // how many reads until the loop ends
    } cases[] = {
        {{27}, 1},
        {{3}, 1},
        {{'a', 27}, 2},                    // a letter, then Esc on the next pass
        {{0, 72, 0, 80, 27}, 5},           // arrows are swallowed
        {{0, 1, 'q', 3}, 4},               // Alt+Esc is not Esc
        {{0, 3}, 2},                       // Ctrl+Space: 0 and 3
        {{0, 27}, 2},                      // Alt+]: 0 and 27
        {{0x11B}, 1},                      // only the low 8 bits count
        {{0x103}, 1},
        {{0x100, 'x', 13, 26, 28, 27}, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("keys " + ::testing::PrintToString(c.keys));
        SetUp();
        fake::the.esc_when_line_ends = false;
        for (int code : c.keys) fake::the.keys.push_back({0, code});
        // One more key for the last wait.
        fake::the.keys.push_back({0, 'z'});
        fake::the.line = QUIET;
        monitor::run_receive_loop();
        EXPECT_EQ(fake::the.key_pos, c.keys.size() + 1);
        EXPECT_EQ(fake::the.reads, c.keys_read_in_loop - 1) << "one key per pass";
        EXPECT_EQ(fake::the.events.back(), "key");
        EXPECT_EQ(fake::the.events[fake::the.events.size() - 2], std::string("err:") + monitor::FAREWELL);
    }
}

// A line that goes away (a cable pulled) is said once, tried again about
// once a second without an error each time, and set up from the start when
// it is back: a frame cut off by the loss never joins the next one.
class LostLine : public ReceiveLoop {
  protected:
    void SetUp() override {
        ReceiveLoop::SetUp();
        std::strcpy(monitor::line_buf, "\\\\.\\COM3");
        fake::the.port_opens = [this](const std::string&) {
            tries_at.push_back(fake::the.now_ms);
            return static_cast<int>(tries_at.size()) > failed_tries;
        };
    }
    std::vector<long long> tries_at;
    int failed_tries = 0;
    const line_t half_message{MESSAGE.begin(), MESSAGE.begin() + 10};
    const std::string LOST = std::string("out:") + monitor::LINE_LOST;
};

TEST_F(LostLine, ReopensTheSamePortAndStartsTheHandshakeAgain) {
    failed_tries = 2;
    fake::the.gone_at = {OK.size() + half_message.size()};
    EXPECT_EQ(run(OK + half_message + OK + OK + MESSAGE),
              with_farewell({SENT_CALLSIGN, SENT_MESSAGE, "closed", LOST, "opened:\\\\.\\COM3", SENT_CALLSIGN,
                             SENT_MESSAGE, READY, MESSAGE_LINE}));
    ASSERT_EQ(tries_at.size(), 3u);
    for (std::size_t i = 1; i < tries_at.size(); ++i) {
        EXPECT_GE(tries_at[i] - tries_at[i - 1], 1000);
        EXPECT_LE(tries_at[i] - tries_at[i - 1], 1100);
    }
    EXPECT_EQ(fake::the.opened, std::vector<std::string>(3, "\\\\.\\COM3"));
}

TEST_F(LostLine, EscEndsItWhileTheLineIsAway) {
    failed_tries = 1000;
    fake::the.gone_at = {OK.size()};
    fake::the.esc_when_line_ends = false;
    fake::the.keys = {{static_cast<long>(OK.size()) + 1, 'a'}, {static_cast<long>(OK.size()) + 1, 27}, {0, 'z'}};
    EXPECT_EQ(run(OK + OK), (std::vector<std::string>{SENT_CALLSIGN, SENT_MESSAGE, "closed", LOST, "key", "key",
                                                       std::string("err:") + monitor::FAREWELL, "key"}));
}

TEST_F(LostLine, SettingsRefusedOnReopeningEndTheProgram) {
    fake::the.gone_at = {0};
    fake::the.esc_when_line_ends = false;
    fake::the.line_accepted = false;
    EXPECT_FALSE(monitor::run_receive_loop());
    EXPECT_EQ(fake::the.events, (std::vector<std::string>{SENT_CALLSIGN, "closed", LOST, "opened:\\\\.\\COM3",
                                                          std::string("out:") + monitor::DCB_ERROR}));
}

}  // namespace
