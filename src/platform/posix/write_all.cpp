#include "platform/posix/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace platform::posix {

int write_all(int fd, const void* bytes, int count) {
    const char* next = static_cast<const char*>(bytes);
    int sent = 0;
    while (sent < count) {
        const ssize_t n = write(fd, next + sent, static_cast<size_t>(count - sent));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sent += static_cast<int>(n);
    }
    return sent;
}

}  // namespace platform::posix
