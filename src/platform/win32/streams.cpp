// Standard input and the two text streams, written straight to their
// handles: nothing waits in a C runtime buffer, on a console or redirected.
#include <windows.h>

#include <cstdio>

#include "platform/log_file.h"
#include "platform/platform.h"
#include "platform/text_mode.h"

namespace platform {

namespace {

constexpr int CHUNK = 256;

void write_text(DWORD which, const char* text, int count) {
    const HANDLE h = GetStdHandle(which);
    for (int done = 0; done < count; done += CHUNK) {
        const int part = count - done < CHUNK ? count - done : CHUNK;
        char crlf[2 * CHUNK];
        const int n = to_crlf(text + done, part, crlf);
        if (which == STD_OUTPUT_HANDLE) log_output(crlf, n);
        // On a console the bytes go as they are; its code page shows them.
        for (int sent = 0; sent < n;) {
            DWORD written = 0;
            if (!WriteFile(h, crlf + sent, static_cast<DWORD>(n - sent), &written, nullptr) || written == 0) return;
            sent += static_cast<int>(written);
        }
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

void write_output(const char* text, int count) { write_text(STD_OUTPUT_HANDLE, text, count); }

void write_error(const char* text, int count) { write_text(STD_ERROR_HANDLE, text, count); }

}  // namespace platform
