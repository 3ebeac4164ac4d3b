// The console keyboard is the controlling terminal, never standard input,
// which may be a file holding the port number.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/posix/console.h"
#include "platform/posix/serial_state.h"
#include "platform/terminal_keys.h"

namespace platform {

namespace {

constexpr int NOT_OPENED = -2;
// A terminal writes a key's whole escape sequence at once: only an Esc that
// came last needs a wait for more, and a short one (as tmux's).
constexpr int SEQUENCE_WAIT_MS = 10;

int tty = NOT_OPENED;
// The terminal's settings: as we found it (put back on every way out), for
// the receive loop (keys one by one, no echo) and while a key is awaited
// (Ctrl-C is a key too). Prepared before any is used, for the signal
// handlers, which only choose between them.
enum { original, polling, reading };
termios modes[3];
volatile sig_atomic_t tty_in_force = -1;  // the terminal, once its modes are set
volatile sig_atomic_t mode_in_force = original;
unsigned char pending[64];
int pending_count;
int second_code = -1;
long long last_poll_ms = -1;

void apply(int mode) {
    mode_in_force = mode;
    if (tty >= 0) tcsetattr(tty, TCSANOW, &modes[mode]);
}

// The terminal goes into key-by-key mode the first time the keyboard is
// used, that is when the receive loop starts. Ctrl-C stays a signal.
bool keyboard_ready() {
    if (tty == NOT_OPENED) {
        tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (tty < 0) return false;
        if (tcgetattr(tty, &modes[original]) != 0) {
            close(tty);
            tty = -1;
            return false;
        }
        modes[polling] = modes[original];
        modes[polling].c_lflag &= ~(ICANON | ECHO);
        modes[polling].c_cc[VMIN] = 1;
        modes[polling].c_cc[VTIME] = 0;
        modes[reading] = modes[polling];
        modes[reading].c_lflag &= ~ISIG;
        std::atexit(posix::restore_console);
        tty_in_force = tty;
        apply(polling);
    }
    return tty >= 0;
}

// A terminal that has gone away counts as no terminal from then on.
void lose_terminal() {
    tty_in_force = -1;
    close(tty);
    tty = -1;
}

// While bytes keep arriving the loop asks for keys once a byte; a look at
// the terminal once a millisecond is as quick for the operator, and in a
// burst even the clock is read only every so many of those calls.
bool poll_due() {
    static int busy_calls;
    if (posix::bytes_in_hand() && ++busy_calls < 64) return false;
    busy_calls = 0;
    const long long now = clock_ms();
    if (now == last_poll_ms) return false;
    last_poll_ms = now;
    return true;
}

bool bytes_within(int ms) {
    pollfd p{tty, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

bool read_more() {
    const ssize_t n = read(tty, pending + pending_count, sizeof pending - pending_count);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) {
        lose_terminal();
        return false;
    }
    pending_count += static_cast<int>(n);
    return true;
}

int next_key() {
    for (;;) {
        if (pending_count == 0 && !read_more()) return 0;
        key_codes key;
        int used = decode_terminal_key(pending, pending_count, false, &key);
        if (used == 0) {
            const bool more = pending_count < static_cast<int>(sizeof pending) && bytes_within(SEQUENCE_WAIT_MS);
            if (more) {
                if (!read_more()) return 0;
                continue;
            }
            used = decode_terminal_key(pending, pending_count, true, &key);
        }
        pending_count -= used;
        for (int i = 0; i < pending_count; ++i) pending[i] = pending[used + i];
        if (key.count == 2) second_code = key.code[1];
        return key.code[0];
    }
}

}  // namespace

bool key_test() {
    if (second_code >= 0 || pending_count > 0) return true;
    if (!poll_due() || !keyboard_ready()) return false;
    return bytes_within(0);
}

int key_read() {
    if (second_code >= 0) {
        const int code = second_code;
        second_code = -1;
        return code;
    }
    if (!keyboard_ready()) return 0;
    // While we wait, Ctrl-C is a key like any other.
    apply(reading);
    const int code = next_key();
    apply(polling);
    return code;
}

namespace posix {

namespace {

// Only while the terminal is ours: from the background (stopped by Ctrl-Z,
// or started with &) a change would stop us with SIGTTOU inside the handler,
// where the signal that came to end us could never finish its work. The
// shell has the terminal then, in its own settings.
void set_if_foreground(const termios& mode) {
    const int fd = tty_in_force;
    if (fd < 0) return;
    const int saved = errno;
    if (tcgetpgrp(fd) == getpgrp()) tcsetattr(fd, TCSANOW, &mode);
    errno = saved;
}

}  // namespace

void restore_console() { set_if_foreground(modes[original]); }

void reapply_console() { set_if_foreground(modes[mode_in_force]); }

}  // namespace posix

}  // namespace platform
