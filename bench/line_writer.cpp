// The limit for a monitor that loses nothing: reads a CI-V line as fast as
// it can and writes each frame's line with one write as its FD arrives,
// with nothing else to do (no keyboard, no layout). Used by the benchmark
// beside the monitor and cat, on the same stream.
//   line_writer DEVICE > FILE
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int fd = open(argv[1], O_RDONLY | O_NOCTTY);
    if (fd < 0) return 1;
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    unsigned char in[4096];
    char line[512];
    int len = 0;
    for (;;) {
        const ssize_t n = read(fd, in, sizeof in);
        if (n <= 0) return 0;
        for (ssize_t i = 0; i < n; ++i) {
            if (len < static_cast<int>(sizeof line) - 2) line[len++] = static_cast<char>(in[i]);
            if (in[i] != 0xFD) continue;
            line[len++] = '\r';
            line[len++] = '\n';
            if (write(STDOUT_FILENO, line, static_cast<size_t>(len)) != len) return 1;
            len = 0;
        }
    }
}
