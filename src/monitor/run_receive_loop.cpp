#include "civ/civ.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"
#include "monitor/port_handle.h"
#include "platform/platform.h"
#include "report/report.h"

namespace monitor {

// 2: nothing sent, 3: call-sign setup sent, 4: answered, 5: message setup
// sent, 6: answered, 7: ready announced and monitoring.
int setup_state;

namespace {

constexpr int KEY_CTRL_C = 3;
constexpr int KEY_ESC = 27;

void send(const unsigned char (&frame)[civ::SETUP_FRAME_SIZE]) {
    platform::write_port(port_handle, frame, civ::SETUP_FRAME_SIZE);
}

}  // namespace

void run_receive_loop() {
    civ::frame_len = 0;
    setup_state = 2;
    for (;;) {
        if (platform::key_test()) {
            const int key = platform::key_read() & 0xFF;
            if (key == KEY_CTRL_C || key == KEY_ESC) break;
        }

        if (setup_state == 2) {
            send(civ::SETUP_FRAME_CALLSIGN);
            setup_state = 3;
        }
        if (setup_state == 4) {
            send(civ::SETUP_FRAME_MESSAGE);
            setup_state = 5;
        }
        if (setup_state == 6) {
            say_out(READY);
            setup_state = 7;
        }

        if (!civ::receive_frame_byte()) continue;
        report::show_callsign_report();
        report::show_message_report();
        // Whatever the radio answers moves the handshake on by one stage.
        if (setup_state == 3) setup_state = 4;
        if (setup_state == 5) setup_state = 6;
        civ::frame_len = 0;
    }

    platform::close_port(port_handle);
    say_err(FAREWELL);
    platform::key_read();
}

}  // namespace monitor
