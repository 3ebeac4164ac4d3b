// Standard input and the two text streams.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/log_file.h"
#include "platform/platform.h"
#include "platform/posix/console.h"
#include "platform/posix/terminal_text.h"
#include "platform/posix/write_all.h"
#include "platform/text_mode.h"

namespace platform {

namespace {

constexpr int CHUNK = 256;

// Our lines are far shorter than a chunk; a longer text is cut where it
// must be, at worst through a two-byte character shown then as ".".
void write_text(int fd, const char* text, int count) {
    static int on_terminal[3] = {-1, -1, -1};
    if (on_terminal[fd] < 0) on_terminal[fd] = isatty(fd);
    for (int done = 0; done < count; done += CHUNK) {
        const int part = count - done < CHUNK ? count - done : CHUNK;
        char crlf[2 * CHUNK];
        const int n = to_crlf(text + done, part, crlf);
        if (fd == STDOUT_FILENO) log_output(crlf, n);
        if (!on_terminal[fd]) {
            posix::write_all(fd, crlf, n);
            continue;
        }
        char shown[4 * 2 * CHUNK];
        posix::write_all(fd, shown, posix::render_for_terminal(crlf, n, shown));
    }
}

}  // namespace

void start_up() {
    posix::catch_signals();
    // open() takes the lowest free descriptor, so going up from 0 fills
    // exactly the closed ones.
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
}

int read_input_char() {
    const int c = std::getchar();
    return c == EOF ? -1 : c;
}

void write_output(const char* text, int count) { write_text(STDOUT_FILENO, text, count); }

void write_error(const char* text, int count) { write_text(STDERR_FILENO, text, count); }

}  // namespace platform
