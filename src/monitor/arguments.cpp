#include "monitor/arguments.h"

#include <cstring>

namespace monitor {

namespace {

bool starts_with(const char* text, const char* start) { return std::strncmp(text, start, std::strlen(start)) == 0; }

}  // namespace

arguments read_arguments(int argc, const char* const* argv) {
    bool help = false, version = false, bad = false;
    const char* log_path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* path = nullptr;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            help = true;
            continue;
        }
        if (std::strcmp(a, "--version") == 0) {
            version = true;
            continue;
        }
        if (starts_with(a, "--log=")) {
            path = a + std::strlen("--log=");
        } else if (std::strcmp(a, "--log") == 0 || std::strcmp(a, "-l") == 0) {
            // An option where FILE should be means FILE was left out.
            if (i + 1 < argc && argv[i + 1][0] != '-') path = argv[++i];
        } else {
            bad = true;
            continue;
        }
        // Two logs would leave the operator guessing which one holds the night.
        if (path == nullptr || *path == '\0' || log_path != nullptr) bad = true;
        log_path = path;
    }
    if (bad) return {request::bad, nullptr};
    if (help) return {request::help, nullptr};
    if (version) return {request::version, nullptr};
    return {request::monitor, log_path};
}

}  // namespace monitor
