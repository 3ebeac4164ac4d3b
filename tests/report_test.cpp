#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "civ/civ.h"
#include "fake_platform.h"
#include "report/report.h"

namespace {

using bytes = std::vector<unsigned char>;

bytes operator+(bytes a, const std::string& s) {
    a.insert(a.end(), s.begin(), s.end());
    return a;
}

bytes operator+(bytes a, const bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Puts a frame in the buffer as the assembly leaves it, over whatever an
// earlier frame left there.
void hold(const bytes& frame) {
    std::memcpy(civ::frame_buf, frame.data(), frame.size());
    civ::frame_len = static_cast<int>(frame.size());
}

std::string shown(const bytes& frame) {
    fake::the.out.clear();
    hold(frame);
    report::show_callsign_report();
    report::show_message_report();
    return fake::the.out;
}

const std::string FIELDS = "JA1YAA  " "A   " "JR1WJ  A" "CQCQCQ  " "JA1YAA B";
const std::string LINE = "JA1YAA    /A      JR1WJ  A   CQCQCQ     JA1YAA B";

bytes callsign_report(unsigned char mark, const std::string& fields = FIELDS) {
    return bytes{0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x00, 0x01, 0x00, mark} + fields + bytes{0xFD};
}

bytes message_report(const std::string& text) {
    return bytes{0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x01, 0x01} + text + bytes{0xFD};
}

class Reports : public ::testing::Test {
  protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(Reports, CallsignLineEndsWithTheMarkThatPosition8Selects) {
    const struct {
        unsigned char mark;
        std::string end;
    } cases[] = {{0x01, "  RPT?"}, {0x02, "  UR?"}, {0x00, ""}, {0x03, ""}, {0xFF, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(shown(callsign_report(c.mark)), LINE + c.end + "\n") << int(c.mark);
    }
    EXPECT_EQ(LINE.size(), 48u);
}

TEST_F(Reports, CallsignFieldBytesGoOutUnchanged) {
    std::string fields = FIELDS;
    fields[2] = '\0';
    fields[10] = '\x1B';
    fields[20] = '\n';
    fields[30] = '\xFF';
    std::string line = LINE;
    line[2] = '\0';
    line[13] = '\x1B';
    line[29] = '\n';
    line[42] = '\xFF';
    EXPECT_EQ(shown(callsign_report(0x02, fields)), line + "  UR?\n");
}

// A frame cut short by noise would show, past its FD, what earlier frames
// left in the buffer: call signs that were never received.
TEST_F(Reports, FramesCutShortOfTheirLayoutShowNothing) {
    hold(callsign_report(0x01));
    const bytes callsign_head = {0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x00, 0x01, 0x00, 0x01};
    const bytes message_head = {0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x01, 0x01};
    const struct {
        bytes frame;
        std::string line;
    } cases[] = {
        {callsign_head + "ABCDEFGHIJK" + bytes{0xFD}, ""},
        {callsign_head + FIELDS.substr(0, 35) + bytes{0xFD}, ""},   // FD at 44
        {callsign_head + FIELDS + bytes{0xFD}, LINE + "  RPT?\n"},  // FD at 45: whole
        {message_head + "HELLO" + bytes{0xFD}, ""},
        {message_head + std::string(19, 'm') + bytes{0xFD}, ""},    // FD at 26
        {message_head + std::string(20, 'm') + bytes{0xFD}, "Msg:" + std::string(20, 'm') + "\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown(c.frame), c.line) << fake::hex(c.frame);
}

// Over-long frames are shown: every position shown is the frame's own byte.
TEST_F(Reports, LongerFramesShowTheirOwnBytes) {
    EXPECT_EQ(shown(callsign_report(0x02, FIELDS + "tail")), LINE + "  UR?\n");
    EXPECT_EQ(shown(message_report("CQ CQ de JA1YAA  73 and more")), "Msg:CQ CQ de JA1YAA  73 \n");
}

TEST_F(Reports, MessageLineFiltersWhatCannotBeShown) {
    EXPECT_EQ(shown(message_report("CQ CQ de JA1YAA  73 ")), "Msg:CQ CQ de JA1YAA  73 \n");
    const std::string odd = std::string("\x0D\x00\x1F\xE0\xFF\xDF\xB1\x20\x7F\x80\xA0\x0A\x1B", 13) + "1234567";
    EXPECT_EQ(shown(message_report(odd)), "Msg:...." ".\xDF\xB1\x20\x7F\x80\xA0.." "1234567\n");
}

TEST_F(Reports, OtherFramesPrintNothing) {
    const bytes others[] = {
        {0xFE, 0xFE, 0xE0, 0x7C, 0xFB, 0xFD},                       // the radio's answer
        {0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD},     // laid out like a setup frame
        {0xFE, 0xFE, 0xE0, 0x7C, 0x21, 0x00, 0x01, 0x01, 0xFD},     // another command
        {0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x02, 0x01, 0x01, 0xFD},     // another sub-command
        bytes{0x31, 0x32} + callsign_report(0x01),                  // stray bytes ahead
        bytes{0x31, 0x32} + message_report("CQ CQ CQ"),
        bytes{0xFE, 0x00, 0xE0, 0x7C, 0x20, 0x00, 0x01, 0x00, 0x01} + FIELDS,
    };
    for (const bytes& frame : others) EXPECT_EQ(shown(frame), "") << fake::hex(frame);
}

TEST_F(Reports, EachFrameGivesAtMostOneLine) {
    EXPECT_EQ(shown(callsign_report(0x01)), LINE + "  RPT?\n");
    EXPECT_EQ(shown(message_report("12345678901234567890")), "Msg:12345678901234567890\n");
}

}  // namespace
