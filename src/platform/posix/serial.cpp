// Serial line on a POSIX terminal device.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/posix/com_ports.h"
#include "platform/posix/serial_state.h"
#include "platform/posix/write_all.h"

namespace platform {

namespace {

// Bytes that one read(2) brought in beyond the one asked for: a burst from
// the radio then costs one system call instead of one per byte. As large as
// what a terminal device hands over in one read.
unsigned char read_ahead[4096];
int ahead_next;
int ahead_end;
int read_timeout_ms = -1;
bool gone;
// The port we hold for ourselves alone, for the signal handlers to let go.
volatile sig_atomic_t exclusive_fd = -1;

void release_at_exit() { posix::release_port(); }

// The console (the controlling terminal, or a terminal behind standard
// input, output or error) is never a serial line: setting it up would take
// the operator's keyboard and screen.
bool is_console(int fd) {
    struct stat port;
    if (fstat(fd, &port) != 0 || !S_ISCHR(port.st_mode)) return false;
    struct stat other;
    for (int std_fd = 0; std_fd <= 2; ++std_fd)
        if (isatty(std_fd) && fstat(std_fd, &other) == 0 && other.st_rdev == port.st_rdev) return true;
    const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (tty < 0) return false;
    const bool same = fstat(tty, &other) == 0 && other.st_rdev == port.st_rdev;
    close(tty);
    return same;
}

bool speed_of(int baud_rate, speed_t* speed) {
    switch (baud_rate) {
        case 1200: *speed = B1200; return true;
        case 2400: *speed = B2400; return true;
        case 4800: *speed = B4800; return true;
        case 9600: *speed = B9600; return true;
        case 19200: *speed = B19200; return true;
        case 38400: *speed = B38400; return true;
        case 57600: *speed = B57600; return true;
        case 115200: *speed = B115200; return true;
    }
    return false;
}

bool size_of(int byte_size, tcflag_t* size) {
    switch (byte_size) {
        case 5: *size = CS5; return true;
        case 6: *size = CS6; return true;
        case 7: *size = CS7; return true;
        case 8: *size = CS8; return true;
    }
    return false;
}

timespec deadline_after(int ms) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    t.tv_sec += ms / 1000;
    t.tv_nsec += (ms % 1000) * 1000000L;
    if (t.tv_nsec >= 1000000000L) t.tv_nsec -= 1000000000L, ++t.tv_sec;
    return t;
}

}  // namespace

port_t open_port(const char* device_path) {
    // A port opened again (the line came back) is the device it was: while
    // a COM link is away, /dev/ttyS(n-1) is not the same port.
    static char opened_path[32], opened_device[4096];
    char device[sizeof opened_device];
    if (std::strcmp(device_path, opened_path) == 0)
        std::memcpy(device, opened_device, sizeof device);
    else if (!posix::com_device(device_path, device, sizeof device))
        return INVALID_PORT;
    // Non-blocking only for the open itself, which could otherwise wait for
    // a modem's carrier.
    const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return INVALID_PORT;
    // Nobody else may use the port while we do, as on Windows, where a port
    // is opened without sharing. TIOCEXCL stops other opens (but root's);
    // the lock stops every program that locks ports as well. A device that
    // is no terminal has no TIOCEXCL (ENOTTY, EINVAL) and fails later, when
    // its line settings are refused.
    if (is_console(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return INVALID_PORT;
    }
    if (ioctl(fd, TIOCEXCL) == 0) {
        exclusive_fd = fd;
        static const bool registered = std::atexit(release_at_exit) == 0;
        (void)registered;
    } else if (errno != ENOTTY && errno != EINVAL) {
        close(fd);
        return INVALID_PORT;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ahead_next = ahead_end = 0;
    gone = false;
    std::snprintf(opened_path, sizeof opened_path, "%s", device_path);
    std::memcpy(opened_device, device, sizeof device);
    return fd;
}

bool set_line(port_t port, const line_settings& settings) {
    const int fd = static_cast<int>(port);
    speed_t speed;
    tcflag_t size;
    if (!speed_of(settings.baud_rate, &speed) || !size_of(settings.byte_size, &size)) return false;

    termios t{};  // stays all zero when the device has no settings to read
    tcgetattr(fd, &t);
    t.c_cflag = (t.c_cflag & ~CSIZE) | size;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (!settings.parity_check) t.c_iflag &= ~INPCK;
    if (!settings.cts_output_flow) t.c_cflag &= ~CRTSCTS;
    // Raw: every byte passes unchanged both ways, XON and XOFF included,
    // since call signs and messages are the radio's bytes, not ours to
    // interpret. Parity generation, stop bits and modem lines stay as set.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // CLOCAL: a CI-V cable has no carrier detect to hang up on.
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return false;

    // tcsetattr succeeds when any part was applied; make sure ours were.
    termios applied{};
    if (tcgetattr(fd, &applied) != 0) return false;
    return (applied.c_cflag & CSIZE) == size && cfgetispeed(&applied) == speed &&
           cfgetospeed(&applied) == speed;
}

void set_timeouts(port_t, const line_timeouts& timeouts) {
    // One byte at a time: the whole read may take multiplier + constant.
    const unsigned total = timeouts.read_total_multiplier + timeouts.read_total_constant;
    read_timeout_ms = (total == 0 && timeouts.read_interval == 0) ? -1 : static_cast<int>(total);
}

int read_port(port_t port, unsigned char* byte) {
    if (ahead_next < ahead_end) {
        *byte = read_ahead[ahead_next++];
        return 1;
    }
    const int fd = static_cast<int>(port);
    const timespec deadline = deadline_after(read_timeout_ms < 0 ? 0 : read_timeout_ms);
    pollfd p{fd, POLLIN, 0};
    const int ready = gone ? -1 : poll(&p, 1, read_timeout_ms);
    if (ready == 0) return 0;  // the whole time-out has passed
    if (ready > 0 && (p.revents & POLLIN)) {
        // What arrived before a hang-up is still read first.
        const ssize_t n = read(fd, read_ahead, sizeof read_ahead);
        if (n > 0) {
            ahead_next = 1;
            ahead_end = static_cast<int>(n);
            *byte = read_ahead[0];
            return 1;
        }
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) gone = true;
    } else if (ready > 0) {
        gone = true;  // POLLHUP, POLLERR, POLLNVAL
    }
    // A line that has gone away (a USB adapter pulled) reports at once,
    // every time: wait out the time-out all the same so that the caller's
    // loop keeps its pace instead of spinning.
    if (read_timeout_ms > 0)
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
    return 0;
}

void write_port(port_t port, const unsigned char* bytes, int count) {
    posix::write_all(static_cast<int>(port), bytes, count);
}

void close_port(port_t port) {
    posix::release_port();
    close(static_cast<int>(port));
    ahead_next = ahead_end = 0;
}

bool line_gone(port_t) { return gone && ahead_next >= ahead_end; }

namespace posix {

bool bytes_in_hand() { return ahead_next < ahead_end; }

void release_port() {
    const int fd = exclusive_fd;
    if (fd < 0) return;
    const int saved = errno;
    ioctl(fd, TIOCNXCL);
    exclusive_fd = -1;
    errno = saved;
}

}  // namespace posix

}  // namespace platform
