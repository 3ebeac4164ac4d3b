#include "civ/civ.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"
#include "platform/platform.h"
#include "report/report.h"

namespace monitor {

// 2: nothing sent, 3: call-sign setup sent, 4: answered, 5: message setup
// sent, 6: answered, 7: ready announced and monitoring.
int setup_state;

using civ::port_handle;

namespace {

constexpr int KEY_CTRL_C = 3;
constexpr int KEY_ESC = 27;
// While the line is away: how often the port is tried again, and how long
// a pass lasts, as long as a read that finds nothing.
constexpr int REOPEN_EVERY_MS = 1000;
constexpr int AWAY_PASS_MS = 10;

// While the line is away port_handle is INVALID_PORT.
long long next_reopen_ms;

void send(const unsigned char (&frame)[civ::SETUP_FRAME_SIZE]) {
    platform::write_port(port_handle, frame, civ::SETUP_FRAME_SIZE);
}

void lose_line() {
    platform::close_port(port_handle);
    port_handle = platform::INVALID_PORT;
    next_reopen_ms = platform::clock_ms() + REOPEN_EVERY_MS;
    say_out(LINE_LOST);
}

enum reopen_result { still_away, reopened, refused };

// The same device as before (line_buf still holds its path), set up as at
// the start; the radio has lost our setup with the line, so the handshake
// starts again.
reopen_result try_reopen() {
    if (platform::clock_ms() < next_reopen_ms) {
        platform::sleep_ms(AWAY_PASS_MS);
        return still_away;
    }
    next_reopen_ms = platform::clock_ms() + REOPEN_EVERY_MS;
    port_handle = platform::open_port(line_buf);
    if (port_handle == platform::INVALID_PORT) {
        platform::sleep_ms(AWAY_PASS_MS);
        return still_away;
    }
    if (!set_up_line()) return refused;
    civ::frame_len = 0;
    setup_state = 2;
    return reopened;
}

}  // namespace

bool run_receive_loop() {
    civ::frame_len = 0;
    setup_state = 2;
    for (;;) {
        if (platform::key_test()) {
            const int key = platform::key_read() & 0xFF;
            if (key == KEY_CTRL_C || key == KEY_ESC) break;
        }

        if (port_handle == platform::INVALID_PORT) {
            const reopen_result r = try_reopen();
            if (r == refused) return false;
            if (r == still_away) continue;
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

        if (!civ::receive_frame_byte()) {
            if (platform::line_gone(port_handle)) lose_line();
            continue;
        }
        report::show_callsign_report();
        report::show_message_report();
        // Whatever the radio answers moves the handshake on by one stage.
        if (setup_state == 3) setup_state = 4;
        if (setup_state == 5) setup_state = 6;
        civ::frame_len = 0;
    }

    if (port_handle != platform::INVALID_PORT) platform::close_port(port_handle);
    say_err(FAREWELL);
    platform::key_read();
    return true;
}

}  // namespace monitor
