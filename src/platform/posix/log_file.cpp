#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/log_file.h"
#include "platform/log_lines.h"
#include "platform/platform.h"
#include "platform/posix/write_all.h"

namespace platform {

namespace {

int log_fd = -1;
bool at_line_start = true;
bool cut;

// O_APPEND makes each write land whole at the end, whoever else appends.
int write_bytes(const char* bytes, int count) { return posix::write_all(log_fd, bytes, count); }

void write_piece(const char* bytes, int count) { write_log_piece(bytes, count, cut, write_bytes); }

}  // namespace

bool open_log(const char* path, char* reason, int reason_size) {
    // Non-blocking for the open alone: a FIFO nobody reads is an error now,
    // not a wait before the banner.
    log_fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (log_fd < 0) {
        std::snprintf(reason, static_cast<std::size_t>(reason_size), "%s", std::strerror(errno));
        return false;
    }
    // The log holds the radio's bytes as they came; on a terminal they
    // would act as escape sequences.
    if (isatty(log_fd)) {
        std::snprintf(reason, static_cast<std::size_t>(reason_size), "%s", "it is a terminal, not a file");
        close(log_fd);
        log_fd = -1;
        return false;
    }
    fcntl(log_fd, F_SETFL, fcntl(log_fd, F_GETFL) & ~O_NONBLOCK);
    return true;
}

void log_output(const char* crlf, int count) {
    if (log_fd < 0) return;
    const time_t now = time(nullptr);
    tm t{};
    localtime_r(&now, &t);
    char stamp[STAMP_SIZE];
    format_stamp({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec}, stamp);
    log_lines(crlf, count, stamp, at_line_start, write_piece);
}

}  // namespace platform
