#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/pc_keys.h"
#include "platform/terminal_keys.h"

namespace {

using platform::decode_terminal_key;
using platform::key_codes;

struct key_case {
    const char* name;
    std::string bytes;
    std::vector<int> codes;
    int used;  // bytes the key takes
};

void PrintTo(const key_case& c, std::ostream* os) { *os << c.name; }

std::vector<int> codes_of(const key_codes& k) { return std::vector<int>(k.code, k.code + k.count); }

class TerminalKeys : public ::testing::TestWithParam<key_case> {};

// Whole sequences, as a terminal writes them in one go.
TEST_P(TerminalKeys, Decodes) {
    const key_case& c = GetParam();
    const auto* b = reinterpret_cast<const unsigned char*>(c.bytes.data());
    key_codes key{};
    EXPECT_EQ(decode_terminal_key(b, static_cast<int>(c.bytes.size()), true, &key), c.used);
    EXPECT_EQ(codes_of(key), c.codes);
    // Every byte of a sequence may come apart from the next: until the key
    // is whole, the decoder asks for more rather than guessing.
    for (std::size_t n = 1; n < static_cast<std::size_t>(c.used); ++n) {
        key_codes partial{};
        EXPECT_EQ(decode_terminal_key(b, static_cast<int>(n), false, &partial), 0) << n;
    }
}

const key_case CASES[] = {
    {"letter", "a", {'a'}, 1},
    {"ctrl_c_in_the_last_wait", "\x03", {3}, 1},
    {"enter", "\r", {13}, 1},
    {"lone_esc", "\x1B", {27}, 1},
    {"ctrl_space", std::string(1, '\0'), {0, 3}, 1},
    {"up_csi", "\x1B[A", {0, 72}, 3},
    {"down_csi", "\x1B[B", {0, 80}, 3},
    {"right_csi", "\x1B[C", {0, 77}, 3},
    {"left_csi", "\x1B[D", {0, 75}, 3},
    {"up_ss3", "\x1BOA", {0, 72}, 3},
    {"home_ss3", "\x1BOH", {0, 71}, 3},
    {"end_csi", "\x1B[F", {0, 79}, 3},
    {"home_linux", "\x1B[1~", {0, 71}, 4},
    {"insert", "\x1B[2~", {0, 82}, 4},
    {"delete", "\x1B[3~", {0, 83}, 4},
    {"end_linux", "\x1B[4~", {0, 79}, 4},
    {"page_up", "\x1B[5~", {0, 73}, 4},
    {"page_down", "\x1B[6~", {0, 81}, 4},
    {"f1_xterm", "\x1BOP", {0, 59}, 3},
    {"f4_xterm", "\x1BOS", {0, 62}, 3},
    {"f1_linux", "\x1B[[A", {0, 59}, 4},
    {"f5_linux", "\x1B[[E", {0, 63}, 4},
    {"f5_xterm", "\x1B[15~", {0, 63}, 5},
    {"f6", "\x1B[17~", {0, 64}, 5},
    {"f10", "\x1B[21~", {0, 68}, 5},
    {"f12", "\x1B[24~", {0, 134}, 5},
    {"ctrl_up", "\x1B[1;5A", {0, 141}, 6},
    {"ctrl_right", "\x1B[1;5C", {0, 116}, 6},
    {"alt_left", "\x1B[1;3D", {0, 155}, 6},
    {"shift_f1", "\x1B[1;2P", {0, 84}, 6},
    {"ctrl_f10", "\x1B[21;5~", {0, 103}, 7},
    {"alt_delete", "\x1B[3;3~", {0, 163}, 6},
    {"shift_tab", "\x1B[Z", {0, 15}, 3},
    {"unknown_sequence_is_harmless", "\x1B[99~", {0, 0}, 5},
    {"alt_esc", "\x1B\x1B", {0, 1}, 2},
    {"alt_close_bracket", "\x1B]", {0, 27}, 2},
    {"alt_a", "\x1B" "a", {0, 30}, 2},
    {"alt_shift_a", "\x1B" "A", {0, 30}, 2},
    {"alt_1", "\x1B" "1", {0, 120}, 2},
    {"alt_equals", "\x1B=", {0, 131}, 2},
    {"alt_backspace", "\x1B\x7F", {0, 14}, 2},
    {"alt_open_bracket_alone", "\x1B[", {0, 26}, 2},
    {"alt_o_alone", "\x1BO", {0, 24}, 2},
    {"key_after_key_is_left", "xy", {'x'}, 1},
    {"sequence_then_esc", "\x1B[A\x1B", {0, 72}, 3},
    {"byte_above_7f", "\xE9", {0xE9}, 1},
};

INSTANTIATE_TEST_SUITE_P(Keys, TerminalKeys, ::testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalKeysBroken, SequenceCutByAControlByteDropsWhatCame) {
    const unsigned char b[] = {0x1B, '[', '1', 0x03};
    key_codes key{};
    EXPECT_EQ(decode_terminal_key(b, 4, false, &key), 3);
    EXPECT_EQ(codes_of(key), (std::vector<int>{0, 0}));
    EXPECT_EQ(decode_terminal_key(b + 3, 1, false, &key), 1);
    EXPECT_EQ(codes_of(key), std::vector<int>{3});
}

TEST(PcKeys, ArrowsNeverEndTheMonitor) {
    // Whatever the modifier, no key without a character has 3 or 27 as its
    // second code, except the ones the PC convention gives them.
    for (int k = 0; k < platform::pc_key_count; ++k)
        for (int m = 0; m < 4; ++m) {
            SCOPED_TRACE("pc_key " + std::to_string(k) + ", modifier " + std::to_string(m));
            const int code = platform::pc_second_code(static_cast<platform::pc_key>(k),
                                                      static_cast<platform::pc_modifier>(m));
            EXPECT_NE(code & 0xFF, 3);
            EXPECT_NE(code & 0xFF, 27);
        }
}

TEST(PcKeys, AltCodesFollowTheScanCodes) {
    const struct {
        unsigned char c;
        int code;
    } cases[] = {{'q', 16}, {'p', 25}, {'[', 26}, {']', 27}, {'a', 30}, {'l', 38}, {';', 39}, {'`', 41},
                 {'\\', 43}, {'z', 44}, {'m', 50}, {'/', 53}, {'1', 120}, {'0', 129}, {'-', 130},
                 {'=', 131}, {0x1B, 1}, {'\t', 165}, {'\r', 28}, {' ', 0}, {0x01, 0}, {0xE9, 0}};
    for (const auto& c : cases) EXPECT_EQ(platform::pc_alt_code(c.c), c.code) << c.c;
}

}  // namespace
