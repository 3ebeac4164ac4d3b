#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "civ/civ.h"
#include "fake_platform.h"

namespace {

struct stream_case {
    const char* name;
    std::vector<int> line;    // -1: a read that yields nothing
    const char* results;      // what each call returns
    int frame_len_after;
    int frame_start_after;
};

void PrintTo(const stream_case& c, std::ostream* os) { *os << c.name; }

// Plays the line through receive_frame_byte, emptying the buffer after a
// completed frame as the receive loop does, except after the last call.
std::string play(const std::vector<int>& line) {
    fake::the.line.clear();
    for (int b : line) fake::the.line.push_back(b < 0 ? std::nullopt : std::optional<unsigned char>(b));
    std::string results;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const int r = civ::receive_frame_byte();
        results += static_cast<char>('0' + r);
        if (r == 1 && i + 1 < line.size()) civ::frame_len = 0;
    }
    return results;
}

class ReceiveFrameByte : public ::testing::TestWithParam<stream_case> {
  protected:
    void SetUp() override { fake::reset(); }
};

TEST_P(ReceiveFrameByte, Stream) {
    const stream_case& c = GetParam();
    EXPECT_EQ(play(c.line), c.results);
    EXPECT_EQ(civ::frame_len, c.frame_len_after);
    EXPECT_EQ(civ::frame_start, c.frame_start_after);
}

const stream_case CASES[] = {
    {"radio_answer", {0xFE, 0xFE, 0xE0, 0x7C, 0xFB, 0xFD}, "000001", 6, 1},
    {"negative_answer", {0xFE, 0xFE, 0xE0, 0x7C, 0xFA, 0xFD}, "000001", 6, 1},
    {"echo_of_callsign_setup", {0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD}, "000000000", 0, 1},
    {"echo_of_message_setup", {0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x01, 0x00, 0x01, 0xFD}, "000000000", 0, 1},
    {"other_controller_to_radio", {0xFE, 0xFE, 0x7C, 0xE0, 0x03, 0xFD}, "000000", 0, 1},
    {"idle_reads_change_nothing", {-1, 0xFE, -1, -1, 0xFE, 0xE0, -1, 0x7C, 0xFD}, "000000001", 5, 1},
    {"fd_before_any_fe_checks_1_and_2_echo", {0x01, 0x7C, 0xE0, 0xFD}, "0000", 0, 0},
    {"fd_before_any_fe_checks_1_and_2_frame", {0x7C, 0xE0, 0x03, 0xFD}, "0001", 4, 0},
    {"data_holding_fe_7c_e0_is_an_echo", {0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0xFE, 0x7C, 0xE0, 0xFD}, "000000000", 0, 5},
    {"frame_without_fe_judged_by_earlier_fe",
     {0xFE, 0xFE, 0xE0, 0x7C, 0xFB, 0xFD, 0x11, 0x22, 0x7C, 0xE0, 0xFD}, "00000100000", 0, 1},
    // After an echo positions 2 and 3 still hold 7C E0 and frame_start is 1.
    {"lone_fd_after_echo", {0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD, 0xFD}, "0000000000", 0, 1},
    {"one_byte_and_fd_after_echo",
     {0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD, 0x55, 0xFD}, "00000000000", 0, 1},
    {"two_bytes_and_fd_after_echo",
     {0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD, 0x55, 0x66, 0xFD}, "000000000001", 3, 1},
    {"stray_bytes_before_a_report",
     {0x31, 0x32, 0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x01, 0x01, 0x41, 0xFD}, "00000000001", 11, 3},
};

INSTANTIATE_TEST_SUITE_P(Streams, ReceiveFrameByte, ::testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReceiveFrameByteCeiling, LongFrameKeepsReplacingPosition253) {
    fake::reset();
    std::vector<int> line;
    for (int i = 0; i < 300; ++i) line.push_back(i % 0xF0);  // no FE, no FD
    EXPECT_EQ(play(line), std::string(300, '0'));
    EXPECT_EQ(civ::frame_len, 253);
    for (int i = 0; i < 253; ++i) ASSERT_EQ(civ::frame_buf[i], i % 0xF0) << i;
    EXPECT_EQ(civ::frame_buf[253], 299 % 0xF0);
    EXPECT_EQ(civ::frame_buf[254], 0);
}

TEST(ReceiveFrameByteCeiling, FeAtTheCeilingThenFdCompletesTheFrame) {
    fake::reset();
    std::vector<int> line(260, 0x41);
    line.push_back(0xFE);  // lands on 253
    line.push_back(0xFD);  // replaces it, and the test reads 254 (zero)
    const std::string results = play(line);
    EXPECT_EQ(civ::frame_start, 253);
    EXPECT_EQ(results.back(), '1');
    EXPECT_EQ(civ::frame_len, 253);
}

}  // namespace
