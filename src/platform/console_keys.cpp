#include "platform/console_keys.h"

namespace platform {

namespace {

constexpr unsigned VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20;
constexpr unsigned VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                   VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E;
constexpr unsigned VK_F1 = 0x70, VK_F12 = 0x7B;

key_codes none() { return {0, {0, 0}}; }
key_codes one(int code) { return {1, {code, 0}}; }
key_codes two(int second) { return {2, {0, second}}; }

bool is_modifier_or_lock(unsigned vk) {
    switch (vk) {
        case 0x10: case 0x11: case 0x12:           // Shift, Ctrl, Alt
        case 0xA0: case 0xA1: case 0xA2: case 0xA3: case 0xA4: case 0xA5:
        case 0x14: case 0x90: case 0x91:           // Caps, Num and Scroll Lock
        case 0x5B: case 0x5C: case 0x5D:           // Windows and menu keys
            return true;
    }
    return false;
}

int pc_key_of(unsigned vk) {
    switch (vk) {
        case VK_HOME: return key_home;
        case VK_UP: return key_up;
        case VK_PRIOR: return key_page_up;
        case VK_LEFT: return key_left;
        case VK_RIGHT: return key_right;
        case VK_END: return key_end;
        case VK_DOWN: return key_down;
        case VK_NEXT: return key_page_down;
        case VK_INSERT: return key_insert;
        case VK_DELETE: return key_delete;
    }
    if (vk >= VK_F1 && vk <= VK_F12) return key_f1 + static_cast<int>(vk - VK_F1);
    return -1;
}

// The US-layout character of a key, for events that carry none.
unsigned char character_of(unsigned vk) {
    if ((vk >= 'A' && vk <= 'Z')) return static_cast<unsigned char>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return static_cast<unsigned char>(vk);
    switch (vk) {
        case VK_SPACE: return ' ';
        case 0xBA: return ';';
        case 0xBB: return '=';
        case 0xBC: return ',';
        case 0xBD: return '-';
        case 0xBE: return '.';
        case 0xBF: return '/';
        case 0xC0: return '`';
        case 0xDB: return '[';
        case 0xDC: return '\\';
        case 0xDD: return ']';
        case 0xDE: return '\'';
        case VK_ESCAPE: return 0x1B;
        case VK_RETURN: return '\r';
        case VK_BACK: return 0x08;
        case VK_TAB: return '\t';
    }
    return 0;
}

}  // namespace

key_codes console_key_codes(unsigned vk, unsigned char character, unsigned state) {
    if (is_modifier_or_lock(vk)) return none();
    const bool alt = state & (LEFT_ALT | RIGHT_ALT);
    const bool ctrl = state & (LEFT_CTRL | RIGHT_CTRL);
    const bool shift = state & SHIFT;

    const int key = pc_key_of(vk);
    if (key >= 0) {
        const pc_modifier m = alt ? mod_alt : ctrl ? mod_ctrl : shift ? mod_shift : mod_none;
        return two(pc_second_code(static_cast<pc_key>(key), m));
    }

    // AltGr is Ctrl+Alt that gives a character: that character is the key,
    // "@" from AltGr+2 on many European layouts included, never Ctrl+2.
    if (alt && ctrl && character != 0) return one(character);
    const unsigned char plain = character_of(vk);
    if (alt) {
        const int code = pc_alt_code(plain ? plain : character);
        if (code) return two(code);
        return character ? one(character) : none();
    }
    if (ctrl && (vk == VK_SPACE || vk == '2')) return two(3);  // NUL on a PC
    if (shift && vk == VK_TAB) return two(15);
    if (character) return one(character);

    if (ctrl && vk >= 'A' && vk <= 'Z') return one(static_cast<int>(vk - 'A' + 1));
    if (ctrl && (vk == 0xDB || vk == 0xDC || vk == 0xDD)) return one(static_cast<int>(vk - 0xDB + 0x1B));
    if (plain == 0) return none();
    if (shift && plain >= 'a' && plain <= 'z') return one(plain - 'a' + 'A');
    return one(plain);
}

}  // namespace platform
