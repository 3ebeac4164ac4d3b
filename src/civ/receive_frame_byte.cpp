#include "civ/civ.h"

#include "platform/platform.h"

namespace civ {

platform::port_t port_handle = platform::INVALID_PORT;
unsigned char frame_buf[FRAME_BUF_SIZE];
int frame_len;
int frame_start;

int receive_frame_byte() {
    unsigned char received;
    if (platform::read_port(port_handle, &received) != 1) return 0;

    frame_buf[frame_len] = received;
    if (received == PREAMBLE) frame_start = frame_len;
    if (frame_len < FRAME_LEN_CEILING) ++frame_len;
    if (received != END_OF_MESSAGE) return 0;

    // A CI-V line is one wire, so everything we send comes back to us. Both
    // bytes after the last FE are inside frame_buf even when that FE sits at
    // the ceiling: position 254 is never written and stays 0.
    if (frame_buf[frame_start + 1] != RADIO_ADDRESS) return 1;
    if (frame_buf[frame_start + 2] != CONTROLLER_ADDRESS) return 1;
    frame_len = 0;
    return 0;
}

}  // namespace civ
