#include <string>

#include "monitor/arguments.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"
#include "platform/platform.h"

namespace {

// The log opens before the banner, so that a log that cannot be written
// stops the program before it asks anything or opens any port.
bool open_log(const char* path) {
    char reason[512];
    if (platform::open_log(path, reason, sizeof reason)) return true;
    const std::string line = std::string("ic9100-monitor: cannot open log file \"") + path + "\": " + reason + "\n";
    platform::write_error(line.data(), static_cast<int>(line.size()));
    return false;
}

}  // namespace

// Exit status: 0 when the operator ends the program, 1 when the port
// refused the line settings, 2 when the command line or its log is wrong.
int main(int argc, char** argv) {
    platform::start_up();
    const monitor::arguments args = monitor::read_arguments(argc, argv);
    switch (args.what) {
        case monitor::request::help:
            monitor::say_out(monitor::USAGE);
            return 0;
        case monitor::request::version:
            monitor::say_out(monitor::VERSION_LINE);
            return 0;
        case monitor::request::bad:
            monitor::say_err(monitor::USAGE);
            return 2;
        case monitor::request::monitor:
            break;
    }
    if (args.log_path && !open_log(args.log_path)) return 2;

    switch (monitor::select_port()) {
        case monitor::input_ended:
            return 0;
        case monitor::line_refused:
            return 1;
        case monitor::port_opened:
            break;
    }
    return monitor::run_receive_loop() ? 0 : 1;
}
