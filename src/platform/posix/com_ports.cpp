#include "platform/posix/com_ports.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::posix {

namespace {

constexpr char PREFIX[] = "\\\\.\\COM";

bool port_number_of(const char* device_path, long* number) {
    if (std::strncmp(device_path, PREFIX, sizeof PREFIX - 1) != 0) return false;
    const char* digits = device_path + sizeof PREFIX - 1;
    if (*digits < '1' || *digits > '9') return false;  // 0, signs, leading zeros
    char* end;
    *number = std::strtol(digits, &end, 10);
    return *end == '\0';
}

}  // namespace

bool com_device(const char* device_path, char* device, std::size_t size) {
    long number;
    if (!port_number_of(device_path, &number)) return false;

    char link[4096];
    const char* wine_prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    int n = -1;
    if (wine_prefix && *wine_prefix)
        n = std::snprintf(link, sizeof link, "%s/dosdevices/com%ld", wine_prefix, number);
    else if (home && *home)
        n = std::snprintf(link, sizeof link, "%s/.wine/dosdevices/com%ld", home, number);
    struct stat st;
    if (n > 0 && static_cast<std::size_t>(n) < sizeof link && lstat(link, &st) == 0) {
        // Opening the link opens what it points to.
        n = std::snprintf(device, size, "%s", link);
    } else {
        n = std::snprintf(device, size, "/dev/ttyS%ld", number - 1);
    }
    return n > 0 && static_cast<std::size_t>(n) < size;
}

}  // namespace platform::posix
