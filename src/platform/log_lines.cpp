#include "platform/log_lines.h"

#include <cstring>

namespace platform {

namespace {

int two_digits(int value, char* out) {
    out[0] = static_cast<char>('0' + value / 10 % 10);
    out[1] = static_cast<char>('0' + value % 10);
    return 2;
}

}  // namespace

void format_stamp(const local_time& t, char* out) {
    char* p = out;
    p += two_digits(t.year / 100, p);
    p += two_digits(t.year, p);
    *p++ = '-';
    p += two_digits(t.month, p);
    *p++ = '-';
    p += two_digits(t.day, p);
    *p++ = ' ';
    p += two_digits(t.hour, p);
    *p++ = ':';
    p += two_digits(t.minute, p);
    *p++ = ':';
    p += two_digits(t.second, p);
    *p = ' ';
}

void log_lines(const char* text, int count, const char* stamp, bool& at_line_start,
               void (*write_piece)(const char* bytes, int count)) {
    // Our lines are far shorter; a longer one goes in more pieces.
    constexpr int ROOM = LOG_PIECE_MAX - STAMP_SIZE;
    char piece[LOG_PIECE_MAX];
    int done = 0;
    while (done < count) {
        int n = 0;
        if (at_line_start) {
            std::memcpy(piece, stamp, STAMP_SIZE);
            n = STAMP_SIZE;
        }
        int taken = 0;
        while (done + taken < count && taken < ROOM) {
            const char c = text[done + taken++];
            piece[n++] = c;
            if (c == '\n') break;
        }
        at_line_start = piece[n - 1] == '\n';
        write_piece(piece, n);
        done += taken;
    }
}

void write_log_piece(const char* bytes, int count, bool& cut, int (*write_bytes)(const char* bytes, int count)) {
    char piece[2 + LOG_PIECE_MAX];
    int n = 0;
    if (cut) {
        piece[n++] = '\r';
        piece[n++] = '\n';
    }
    std::memcpy(piece + n, bytes, static_cast<std::size_t>(count));
    n += count;
    const int taken = write_bytes(piece, n);
    if (taken == n) cut = false;
    else if (taken > 0) cut = true;
}

}  // namespace platform
