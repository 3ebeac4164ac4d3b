#include "platform/posix/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace platform::posix {

void write_all(int fd, const void* bytes, int count) {
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t n = write(fd, next, static_cast<size_t>(count));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        next += n;
        count -= static_cast<int>(n);
    }
}

}  // namespace platform::posix
