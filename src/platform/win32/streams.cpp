// Standard input and the two text streams, written straight to their
// handles: nothing waits in a C runtime buffer, on a console or redirected.
#include <windows.h>

#include <cstdio>

#include "platform/console_text.h"
#include "platform/log_file.h"
#include "platform/platform.h"
#include "platform/text_mode.h"

namespace platform {

namespace {

constexpr int CHUNK = 256;
constexpr UINT SHIFT_JIS = 932;

long decode_cp932(const unsigned char* bytes, int count) {
    wchar_t wide[2];
    const int n = MultiByteToWideChar(SHIFT_JIS, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes), count,
                                      wide, 2);
    return n == 1 ? static_cast<long>(wide[0]) : -1;
}

void write_bytes(HANDLE h, const char* bytes, int count) {
    for (int sent = 0; sent < count;) {
        DWORD written = 0;
        if (!WriteFile(h, bytes + sent, static_cast<DWORD>(count - sent), &written, nullptr) || written == 0) return;
        sent += static_cast<int>(written);
    }
}

// As characters, so that they read the same whatever the console's code
// page, and with every control shown as ".": a console that interprets
// escape sequences (Windows Terminal, virtual-terminal mode) gets none
// from the air.
void write_console(HANDLE h, const char* bytes, int count) {
    char32_t shown[2 * CHUNK];
    const int n = shown_code_points(bytes, count, decode_cp932, shown);
    wchar_t wide[2 * CHUNK];
    for (int i = 0; i < n; ++i) wide[i] = static_cast<wchar_t>(shown[i]);  // code page 932 is all in the BMP
    for (int sent = 0; sent < n;) {
        DWORD written = 0;
        if (!WriteConsoleW(h, wide + sent, static_cast<DWORD>(n - sent), &written, nullptr) || written == 0) return;
        sent += static_cast<int>(written);
    }
}

// Our lines are far shorter than a chunk; a longer text is cut where it
// must be, at worst through a two-byte character shown then as ".".
void write_text(DWORD which, int stream, const char* text, int count) {
    static int on_console[2] = {-1, -1};
    const HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    if (on_console[stream] < 0) on_console[stream] = GetConsoleMode(h, &mode) != 0;
    for (int done = 0; done < count; done += CHUNK) {
        const int part = count - done < CHUNK ? count - done : CHUNK;
        char crlf[2 * CHUNK];
        const int n = to_crlf(text + done, part, crlf);
        if (which == STD_OUTPUT_HANDLE) log_output(crlf, n);
        if (on_console[stream]) write_console(h, crlf, n);
        else write_bytes(h, crlf, n);  // redirected: the exact bytes
    }
}

}  // namespace

// A Windows process whose standard handles are missing has no handle that
// a port could take the place of: CreateFile never hands out those values.
void start_up() {}

int read_input_char() {
    const int c = std::getchar();
    return c == EOF ? -1 : c;
}

void write_output(const char* text, int count) { write_text(STD_OUTPUT_HANDLE, 0, text, count); }

void write_error(const char* text, int count) { write_text(STD_ERROR_HANDLE, 1, text, count); }

}  // namespace platform
