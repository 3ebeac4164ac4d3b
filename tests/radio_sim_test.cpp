#include <gtest/gtest.h>

#include <string>

#include "frames.h"
#include "scenario.h"

namespace {

using radio_sim::bytes;
using radio_sim::parse_scenario;
using radio_sim::scenario;
using radio_sim::step;

bytes operator+(bytes a, const std::string& s) {
    a.insert(a.end(), s.begin(), s.end());
    return a;
}

TEST(RadioSimFrames, ReportsAreLaidOutAsTheRadioSendsThem) {
    const bytes callsign = radio_sim::callsign_report(0x02, "N1DEMO", "9100", "CQCQCQ", "N0RPT  B", "N0RPT  G");
    EXPECT_EQ(callsign, bytes({0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x00, 0x01, 0x00, 0x02}) +
                            "N1DEMO  9100CQCQCQ  N0RPT  BN0RPT  G" + "\xFD");
    EXPECT_EQ(callsign.size(), 46u);
    EXPECT_EQ(radio_sim::message_report("73"),
              bytes({0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x01, 0x01}) + "73                  " + "\xFD");
    EXPECT_EQ(radio_sim::answer(true), bytes({0xFE, 0xFE, 0xE0, 0x7C, 0xFB, 0xFD}));
    EXPECT_EQ(radio_sim::answer(false), bytes({0xFE, 0xFE, 0xE0, 0x7C, 0xFA, 0xFD}));
    EXPECT_TRUE(radio_sim::is_for_radio({0xFE, 0xFE, 0x7C, 0xE0, 0x20, 0x00, 0x00, 0x01, 0xFD}));
    EXPECT_FALSE(radio_sim::is_for_radio({0xFE, 0xFE, 0xE0, 0x7C, 0xFB, 0xFD}));
}

TEST(RadioSimScenario, ReadsEveryKindOfStep) {
    scenario s;
    std::string error;
    ASSERT_TRUE(parse_scenario("# comment\n\n"
                               "await 2\r\n"
                               "  pause 150   # trailing comment\n"
                               "message \"a \\\"quoted\\\" \\\\ \\xB1\"\n"
                               "callsign 01 \"\" \"\" \"\" \"\" \"\"\n"
                               "hex FE 41*3 fd\n",
                               "t", &s, &error))
        << error;
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].kind, step::await);
    EXPECT_EQ(s[0].number, 2);
    EXPECT_EQ(s[1].kind, step::pause);
    EXPECT_EQ(s[1].number, 150);
    EXPECT_EQ(s[2].data, radio_sim::message_report("a \"quoted\" \\ \xB1"));
    EXPECT_EQ(s[3].data, radio_sim::callsign_report(0x01, "", "", "", "", ""));
    EXPECT_EQ(s[4].data, bytes({0xFE, 0x41, 0x41, 0x41, 0xFD}));
    EXPECT_TRUE(parse_scenario(radio_sim::demo_scenario(), "demo", &s, &error)) << error;
}

TEST(RadioSimScenario, MalformedLinesAreNamedAndNothingIsKept) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"await 2\nmesage \"x\"\n", "f.txt:2: unknown step 'mesage'"},
        {"message \"123456789012345678901\"", "f.txt:1: message: longer than 20 bytes"},
        {"message \"open", "f.txt:1: string without its closing quote"},
        {"message \"\\q\"", "f.txt:1: unknown escape"},
        {"message \"a\" extra", "f.txt:1: message: unexpected text"},
        {"callsign 1 \"\" \"\" \"\" \"\" \"\"", "f.txt:1: callsign: expected the mark"},
        {"callsign 01 \"\" \"\" \"\" \"\"", "f.txt:1: "},
        {"callsign 01 \"123456789\" \"\" \"\" \"\" \"\"", "f.txt:1: callsign: field 1 is longer than 8"},
        {"callsign 01 \"\" \"12345\" \"\" \"\" \"\"", "f.txt:1: callsign: field 2 is longer than 4"},
        {"\n\nhex FE GG", "f.txt:3: hex: 'GG'"},
        {"hex 41*0", "f.txt:1: hex: '41*0'"},
        {"hex", "f.txt:1: hex: no bytes"},
        {"pause -5", "f.txt:1: pause: expected a whole number"},
        {"await", "f.txt:1: await: expected a whole number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        scenario s = {{step::pause, {}, 1}};
        std::string error;
        EXPECT_FALSE(parse_scenario(c.text, "f.txt", &s, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_EQ(s.size(), 1u) << "left as it was";
    }
}

}  // namespace
