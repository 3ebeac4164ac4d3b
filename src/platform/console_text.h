// What a console that shows Unicode is given for the program's text. The
// bytes are code page 932 (Shift-JIS), and report lines carry whatever the
// radio received over the air, escape sequences included: nothing of it
// may act on the console. Pure, so that every build tests it; the decoding
// itself is the system's, passed in.
#pragma once

namespace platform {

// The code point of one code-page-932 character of count bytes (1 or 2),
// or -1 when the bytes are not one.
using cp932_decoder = long (*)(const unsigned char* bytes, int count);

// The characters to show for text: CR LF passes; every other control
// character (C0, DEL, C1, the line and paragraph separators) and every byte
// that does not decode becomes ".". A lead byte whose pair does not decode
// is one "." and the byte after it is tried on its own. out must hold count
// code points; returns the number written.
int shown_code_points(const char* text, int count, cp932_decoder decode, char32_t* out);

}  // namespace platform
