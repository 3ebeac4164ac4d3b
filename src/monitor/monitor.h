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
// Sets up the open port_handle: line settings, then the read time-outs.
// false, with the message said, when the port refuses the settings.
bool set_up_line();
// true when the operator ended it, false when the port, opened again after
// the line was lost, refused the line settings.
bool run_receive_loop();

}  // namespace monitor
