// Monitor control: the port dialogue, then the receive loop.
#pragma once

namespace monitor {

enum port_result {
    port_opened,     // port_handle is open and set up
    input_ended,     // empty answer or end of input: the operator is done
    line_refused,    // the port opened but refused the line settings
};

extern int port_number;
extern char line_buf[16];
extern int setup_state;

port_result select_port();
void run_receive_loop();

}  // namespace monitor
