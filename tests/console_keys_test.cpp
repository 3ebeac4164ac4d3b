#include <gtest/gtest.h>

#include <vector>

#include "platform/console_keys.h"

namespace {

using namespace platform;

struct event_case {
    const char* name;
    unsigned vk;
    unsigned char character;
    unsigned state;
    std::vector<int> codes;
};

constexpr unsigned ENHANCED = 0x0100;

TEST(ConsoleKeys, KeyEventsGiveThePcCodes) {
    const event_case cases[] = {
        {"esc", 0x1B, 0x1B, 0, {27}},
        {"esc without a character, as Wine sends it", 0x1B, 0, 0, {27}},
        {"letter", 'A', 'a', 0, {'a'}},
        {"shifted letter", 'A', 'A', SHIFT, {'A'}},
        {"letter without a character", 'Q', 0, 0, {'q'}},
        {"ctrl-c with processed input off", 'C', 3, LEFT_CTRL, {3}},
        {"ctrl-c without a character", 'C', 0, RIGHT_CTRL, {3}},
        {"ctrl-[ is esc", 0xDB, 0, LEFT_CTRL, {27}},
        {"enter", 0x0D, '\r', 0, {13}},
        {"backspace", 0x08, 0x08, 0, {8}},
        {"up", 0x26, 0, ENHANCED, {0, 72}},
        {"up on the keypad", 0x26, 0, 0, {0, 72}},
        {"shift up", 0x26, 0, SHIFT | ENHANCED, {0, 72}},
        {"ctrl up", 0x26, 0, LEFT_CTRL | ENHANCED, {0, 141}},
        {"alt up", 0x26, 0, LEFT_ALT | ENHANCED, {0, 152}},
        {"down", 0x28, 0, 0, {0, 80}},
        {"left", 0x25, 0, 0, {0, 75}},
        {"right", 0x27, 0, 0, {0, 77}},
        {"home", 0x24, 0, 0, {0, 71}},
        {"end", 0x23, 0, 0, {0, 79}},
        {"page up", 0x21, 0, 0, {0, 73}},
        {"page down", 0x22, 0, 0, {0, 81}},
        {"insert", 0x2D, 0, 0, {0, 82}},
        {"delete", 0x2E, 0, 0, {0, 83}},
        {"ctrl delete", 0x2E, 0, LEFT_CTRL, {0, 147}},
        {"f1", 0x70, 0, 0, {0, 59}},
        {"f10", 0x79, 0, 0, {0, 68}},
        {"shift f1", 0x70, 0, SHIFT, {0, 84}},
        {"ctrl f10", 0x79, 0, RIGHT_CTRL, {0, 103}},
        {"alt f4", 0x73, 0, LEFT_ALT, {0, 107}},
        {"f12", 0x7B, 0, 0, {0, 134}},
        {"alt esc", 0x1B, 0, LEFT_ALT, {0, 1}},
        {"alt ]", 0xDD, ']', LEFT_ALT, {0, 27}},
        {"alt ] without a character", 0xDD, 0, LEFT_ALT, {0, 27}},
        {"alt a", 'A', 'a', LEFT_ALT, {0, 30}},
        {"alt 1", '1', '1', RIGHT_ALT, {0, 120}},
        {"ctrl space", 0x20, ' ', LEFT_CTRL, {0, 3}},
        {"ctrl 2", '2', 0, LEFT_CTRL, {0, 3}},
        {"shift tab", 0x09, '\t', SHIFT, {0, 15}},
        {"altgr q on a German keyboard", 'Q', '@', RIGHT_ALT | LEFT_CTRL, {'@'}},
        {"altgr 2 on a French or Polish keyboard, not ctrl 2", '2', '@', RIGHT_ALT | LEFT_CTRL, {'@'}},
        {"altgr space that gives a space, not ctrl space", 0x20, ' ', RIGHT_ALT | LEFT_CTRL, {' '}},
        {"altgr e gives the euro sign of code page 1252", 'E', 0x80, RIGHT_ALT | LEFT_CTRL, {0x80}},
        {"ctrl alt 2 without a character is alt 2", '2', 0, LEFT_ALT | LEFT_CTRL, {0, 121}},
        {"ctrl alt a without a character is alt a", 'A', 0, RIGHT_ALT | RIGHT_CTRL, {0, 30}},
        {"shift alone", 0x10, 0, SHIFT, {}},
        {"ctrl alone", 0x11, 0, LEFT_CTRL, {}},
        {"alt alone", 0x12, 0, LEFT_ALT, {}},
        {"left shift alone", 0xA0, 0, SHIFT, {}},
        {"caps lock", 0x14, 0, 0, {}},
        {"num lock", 0x90, 0, 0, {}},
        {"windows key", 0x5B, 0, 0, {}},
        {"unknown key without a character", 0xE7, 0, 0, {}},
    };
    for (const auto& c : cases) {
        const key_codes k = console_key_codes(c.vk, c.character, c.state);
        EXPECT_EQ(std::vector<int>(k.code, k.code + k.count), c.codes) << c.name;
    }
}

}  // namespace
