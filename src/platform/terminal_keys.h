// Terminals send escape sequences where a PC keyboard gives key codes. This
// turns the bytes of one key press into the codes of the PC convention.
#pragma once

#include "platform/pc_keys.h"

namespace platform {

// Decodes the key at the start of bytes[0..count). complete says that no
// further byte came within the wait for the rest of a sequence. Returns the
// number of bytes the key took, or 0 when the key may not be whole yet
// (only when complete is false).
int decode_terminal_key(const unsigned char* bytes, int count, bool complete, key_codes* key);

}  // namespace platform
