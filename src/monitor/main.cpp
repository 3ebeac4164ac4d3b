#include "monitor/monitor.h"

// Exit status: 0 when the operator ends the program, 1 when the port
// refused the line settings.
int main() {
    switch (monitor::select_port()) {
        case monitor::input_ended:
            return 0;
        case monitor::line_refused:
            return 1;
        case monitor::port_opened:
            break;
    }
    monitor::run_receive_loop();
    return 0;
}
