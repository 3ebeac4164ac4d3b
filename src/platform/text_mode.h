// The line-end convention of both standard streams: LF goes out as CR LF,
// redirected or not, on every operating system.
#pragma once

namespace platform {

// Writes the converted text to out, which must hold 2 * count bytes;
// returns the number of bytes written.
int to_crlf(const char* text, int count, char* out);

}  // namespace platform
