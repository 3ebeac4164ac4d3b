// The console keyboard is the controlling terminal, never standard input,
// which may be a file holding the port number.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/terminal_keys.h"

namespace platform {

namespace {

constexpr int NOT_OPENED = -2;
constexpr int SEQUENCE_WAIT_MS = 100;  // the rest of an escape sequence
constexpr int RESTORED_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

int tty = NOT_OPENED;
termios original;      // as we found the terminal; put back on every way out
termios polling;       // while the receive loop runs: keys one by one, no echo
termios reading;       // while a key is awaited: Ctrl-C is a key too
const termios* in_force = &polling;
unsigned char pending[64];
int pending_count;
int second_code = -1;

void restore_terminal() { tcsetattr(tty, TCSANOW, &original); }

void restore_and_end(int signal_number) {
    restore_terminal();
    // The handler was reset on entry: this raise ends the process as the
    // signal would have, once the handler returns.
    raise(signal_number);
}

// Ctrl-Z: hand the shell its terminal back while we are stopped, and take
// key-by-key mode up again when we go on. SIGSTOP stops us even where the
// terminal's own stop would be ignored (no shell to continue us).
void restore_and_stop(int) {
    restore_terminal();
    raise(SIGSTOP);
}

void resume(int) { tcsetattr(tty, TCSANOW, in_force); }

void install(int signal_number, void (*handler)(int), int flags) {
    struct sigaction old{};
    sigaction(signal_number, nullptr, &old);
    if (old.sa_handler == SIG_IGN) return;  // as under nohup: stays ignored
    struct sigaction act{};
    act.sa_handler = handler;
    act.sa_flags = flags;
    sigemptyset(&act.sa_mask);
    sigaction(signal_number, &act, nullptr);
}

void catch_ending_signals() {
    for (int s : RESTORED_SIGNALS) install(s, restore_and_end, SA_RESETHAND);
    install(SIGTSTP, restore_and_stop, SA_RESTART);
    install(SIGCONT, resume, SA_RESTART);
}

// The terminal goes into key-by-key mode the first time the keyboard is
// used, that is when the receive loop starts. Ctrl-C stays a signal.
bool keyboard_ready() {
    if (tty == NOT_OPENED) {
        tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (tty < 0) return false;
        if (tcgetattr(tty, &original) != 0) {
            close(tty);
            tty = -1;
            return false;
        }
        polling = original;
        polling.c_lflag &= ~(ICANON | ECHO);
        polling.c_cc[VMIN] = 1;
        polling.c_cc[VTIME] = 0;
        catch_ending_signals();
        std::atexit(restore_terminal);
        tcsetattr(tty, TCSANOW, &polling);
    }
    return tty >= 0;
}

// A terminal that has gone away counts as no terminal from then on.
void lose_terminal() {
    close(tty);
    tty = -1;
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
    if (!keyboard_ready()) return false;
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
    reading = polling;
    reading.c_lflag &= ~ISIG;
    in_force = &reading;
    tcsetattr(tty, TCSANOW, &reading);
    const int code = next_key();
    in_force = &polling;
    if (tty >= 0) tcsetattr(tty, TCSANOW, &polling);
    return code;
}

}  // namespace platform
