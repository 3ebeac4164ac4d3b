#include "platform/terminal_keys.h"

namespace platform {

namespace {

constexpr unsigned char ESC = 0x1B;

bool is_final(unsigned char b) { return b >= 0x40 && b <= 0x7E; }

int one(key_codes* key, int code) {
    *key = {1, {code, 0}};
    return 1;
}

int two(key_codes* key, int second, int taken) {
    *key = {2, {0, second}};
    return taken;
}

// The modifier parameter of xterm's sequences is 1 + (Shift 1, Alt 2, Ctrl 4).
pc_modifier modifier_of(int parameter) {
    const int bits = parameter > 1 ? parameter - 1 : 0;
    if (bits & 2) return mod_alt;
    if (bits & 4) return mod_ctrl;
    if (bits & 1) return mod_shift;
    return mod_none;
}

// Final letters of CSI and SS3: arrows, Home, End, and F1 to F4.
int key_of_letter(unsigned char letter) {
    switch (letter) {
        case 'A': return key_up;
        case 'B': return key_down;
        case 'C': return key_right;
        case 'D': return key_left;
        case 'H': return key_home;
        case 'F': return key_end;
        case 'P': return key_f1;
        case 'Q': return key_f2;
        case 'R': return key_f3;
        case 'S': return key_f4;
    }
    return -1;
}

// The number in CSI n ~ (VT220 and the Linux console).
int key_of_tilde(int number) {
    switch (number) {
        case 1: case 7: return key_home;
        case 2: return key_insert;
        case 3: return key_delete;
        case 4: case 8: return key_end;
        case 5: return key_page_up;
        case 6: return key_page_down;
        case 11: case 12: case 13: case 14: case 15: return key_f1 + number - 11;
        case 17: case 18: case 19: case 20: case 21: return key_f6 + number - 17;
        case 23: return key_f11;
        case 24: return key_f12;
    }
    return -1;
}

int named(key_codes* key, int pc, int parameter, int taken) {
    if (pc < 0) return two(key, 0, taken);  // a key we do not know: harmless
    return two(key, pc_second_code(static_cast<pc_key>(pc), modifier_of(parameter)), taken);
}

// bytes[0..1] are ESC and '[' or 'O'.
int decode_sequence(const unsigned char* bytes, int count, bool complete, key_codes* key) {
    const bool csi = bytes[1] == '[';
    // The Linux console's F1 to F5: ESC [ [ A to ESC [ [ E.
    if (csi && count >= 3 && bytes[2] == '[') {
        if (count == 3) return complete ? two(key, 0, 3) : 0;
        const unsigned char letter = bytes[3];
        return named(key, letter >= 'A' && letter <= 'E' ? key_f1 + (letter - 'A') : -1, 1, 4);
    }
    int parameters[2] = {0, 0};
    int which = 0;
    for (int i = 2; i < count; ++i) {
        const unsigned char b = bytes[i];
        if (b >= '0' && b <= '9') {
            if (parameters[which] < 1000) parameters[which] = parameters[which] * 10 + (b - '0');
        } else if (b == ';') {
            which = 1;
        } else if (is_final(b)) {
            if (b == '~') return named(key, csi ? key_of_tilde(parameters[0]) : -1, parameters[1], i + 1);
            if (b == 'Z' && csi) return two(key, 15, i + 1);  // Shift+Tab
            // CSI 1;5A and SS3 5A carry the modifier last; plain ones carry none.
            const int modifier = csi ? parameters[1] : parameters[0];
            return named(key, key_of_letter(b), modifier, i + 1);
        } else if (b < 0x20 || b >= 0x7F) {
            return two(key, 0, i);  // broken off: drop what came so far
        }
    }
    if (!complete) return 0;
    // Nothing followed ESC [ or ESC O: that was Alt with [ or O.
    if (count == 2) return two(key, pc_alt_code(bytes[1]), 2);
    return two(key, 0, count);
}

}  // namespace

int decode_terminal_key(const unsigned char* bytes, int count, bool complete, key_codes* key) {
    if (count <= 0) return 0;
    const unsigned char first = bytes[0];
    if (first == 0x00) return two(key, 3, 1);  // Ctrl+Space or Ctrl+2
    if (first != ESC) return one(key, first);
    if (count == 1) return complete ? one(key, 27) : 0;
    if (bytes[1] == '[' || bytes[1] == 'O') return decode_sequence(bytes, count, complete, key);
    // ESC ahead of a key is how a terminal sends Alt with that key.
    const int alt = pc_alt_code(bytes[1]);
    return two(key, alt, 2);
}

}  // namespace platform
