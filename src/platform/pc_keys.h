// The PC keyboard convention: a key without a character is two codes, 0 and
// then a second code that names the key and its modifier. Shared by every
// console keyboard we read.
#pragma once

namespace platform {

enum pc_key {
    key_home, key_up, key_page_up, key_left, key_right, key_end, key_down, key_page_down,
    key_insert, key_delete,
    key_f1, key_f2, key_f3, key_f4, key_f5, key_f6, key_f7, key_f8, key_f9, key_f10,
    key_f11, key_f12,
    pc_key_count,
};

enum pc_modifier { mod_none, mod_shift, mod_ctrl, mod_alt };

// The second code of a key without a character.
int pc_second_code(pc_key key, pc_modifier modifier);
// The second code of Alt with a character key (the key's scan code, so
// Alt+Esc is 1 and Alt+] is 27); 0 for characters that have none.
int pc_alt_code(unsigned char character);

// A key's codes in the order the key read hands them out.
struct key_codes {
    int count;
    int code[2];
};

}  // namespace platform
