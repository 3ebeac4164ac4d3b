// CI-V link: byte values, the two setup frames and the assembly of received
// bytes into frames.
#pragma once

#include "platform/platform.h"

namespace civ {

inline constexpr unsigned char PREAMBLE = 0xFE;
inline constexpr unsigned char END_OF_MESSAGE = 0xFD;
inline constexpr unsigned char RADIO_ADDRESS = 0x7C;
inline constexpr unsigned char CONTROLLER_ADDRESS = 0xE0;
inline constexpr unsigned char REPORT_COMMAND = 0x20;

inline constexpr int SETUP_FRAME_SIZE = 9;
inline constexpr unsigned char SETUP_FRAME_CALLSIGN[SETUP_FRAME_SIZE] = {
    PREAMBLE, PREAMBLE, RADIO_ADDRESS, CONTROLLER_ADDRESS, REPORT_COMMAND,
    0x00, 0x00, 0x01, END_OF_MESSAGE};
inline constexpr unsigned char SETUP_FRAME_MESSAGE[SETUP_FRAME_SIZE] = {
    PREAMBLE, PREAMBLE, RADIO_ADDRESS, CONTROLLER_ADDRESS, REPORT_COMMAND,
    0x01, 0x00, 0x01, END_OF_MESSAGE};

inline constexpr int FRAME_BUF_SIZE = 255;
// frame_len stops here: the bytes of an over-long frame keep replacing the
// one at this position, so positions 254 and beyond are never written.
inline constexpr int FRAME_LEN_CEILING = 253;

// The serial line to the radio, open from the end of port selection on.
extern platform::port_t port_handle;

extern unsigned char frame_buf[FRAME_BUF_SIZE];
extern int frame_len;
extern int frame_start;

// Reads at most one byte from the open port. 1 when a frame that is not
// our own echo has just ended; the caller resets frame_len after using it.
int receive_frame_byte();

}  // namespace civ
