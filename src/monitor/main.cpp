#include "monitor/monitor.h"
#include "platform/platform.h"

// Exit status: 0 when the operator ends the program, 1 when the port
// refused the line settings.
int main() {
    platform::start_up();
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
