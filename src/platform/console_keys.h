// A Windows console key event turned into the codes of the PC convention.
// Pure, so that every build tests it; the flags and virtual-key numbers are
// the console's own.
#pragma once

#include "platform/pc_keys.h"

namespace platform {

// dwControlKeyState bits.
inline constexpr unsigned RIGHT_ALT = 0x0001;
inline constexpr unsigned LEFT_ALT = 0x0002;
inline constexpr unsigned RIGHT_CTRL = 0x0004;
inline constexpr unsigned LEFT_CTRL = 0x0008;
inline constexpr unsigned SHIFT = 0x0010;

// The codes of a key press: none (count 0) for Shift, Ctrl, Alt or a lock
// key alone and for keys that give nothing. The code comes from the key and
// its modifiers whenever the event carries no character, as Wine's console
// sends Esc.
key_codes console_key_codes(unsigned virtual_key, unsigned char character, unsigned control_state);

}  // namespace platform
