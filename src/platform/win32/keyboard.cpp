// The console's own keyboard (CONIN$), so that keys come from the console
// even when standard input is a file.
#include <windows.h>

#include "platform/console_keys.h"
#include "platform/platform.h"

namespace platform {

namespace {

HANDLE console_input() {
    static HANDLE h = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    return h;
}

int second_code = -1;

key_codes codes_of(const INPUT_RECORD& r) {
    if (r.EventType != KEY_EVENT || !r.Event.KeyEvent.bKeyDown) return {0, {0, 0}};
    const KEY_EVENT_RECORD& k = r.Event.KeyEvent;
    return console_key_codes(k.wVirtualKeyCode, static_cast<unsigned char>(k.uChar.AsciiChar),
                             k.dwControlKeyState);
}

}  // namespace

bool key_test() {
    if (second_code >= 0) return true;
    const HANDLE in = console_input();
    if (in == INVALID_HANDLE_VALUE) return false;
    INPUT_RECORD records[128];
    DWORD count = 0;
    if (!PeekConsoleInputA(in, records, 128, &count)) return false;
    for (DWORD i = 0; i < count; ++i)
        if (codes_of(records[i]).count > 0) return true;
    // Releases, focus changes and modifiers alone would pile up in front of
    // the next key; they yield nothing, so they go.
    if (count > 0) ReadConsoleInputA(in, records, count, &count);
    return false;
}

int key_read() {
    if (second_code >= 0) {
        const int code = second_code;
        second_code = -1;
        return code;
    }
    const HANDLE in = console_input();
    if (in == INVALID_HANDLE_VALUE) return 0;
    // While we wait, Ctrl-C is a key (3) and nothing is echoed.
    DWORD mode = 0;
    const bool has_mode = GetConsoleMode(in, &mode) != 0;
    if (has_mode) SetConsoleMode(in, mode & ~(ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
    int code = 0;
    for (;;) {
        INPUT_RECORD r;
        DWORD n = 0;
        if (!ReadConsoleInputA(in, &r, 1, &n) || n == 0) break;
        const key_codes k = codes_of(r);
        if (k.count == 0) continue;
        code = k.code[0];
        if (k.count == 2) second_code = k.code[1];
        break;
    }
    if (has_mode) SetConsoleMode(in, mode);
    return code;
}

}  // namespace platform
