// What reaches a terminal must be readable and harmless: the program's
// bytes are Shift-JIS (code page 932), and report lines carry whatever the
// radio received over the air, escape sequences included.
#pragma once

namespace platform::posix {

// Converts code-page-932 text to the terminal's character set (UTF-8 when
// the locale names none). CR LF passes; every other control character and
// every byte that does not decode becomes ".". out must hold 4 * count
// bytes; returns the number written.
int render_for_terminal(const char* text, int count, char* out);

}  // namespace platform::posix
