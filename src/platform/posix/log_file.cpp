#include <fcntl.h>
#include <time.h>

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

// O_APPEND makes each write land whole at the end, whoever else appends.
void write_piece(const char* bytes, int count) { posix::write_all(log_fd, bytes, count); }

}  // namespace

bool open_log(const char* path, char* reason, int reason_size) {
    log_fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (log_fd >= 0) return true;
    std::snprintf(reason, static_cast<std::size_t>(reason_size), "%s", std::strerror(errno));
    return false;
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
