// CI-V frames as an IC-9100 sends them to its controller.
#pragma once

#include <string>
#include <vector>

namespace radio_sim {

using bytes = std::vector<unsigned char>;

constexpr unsigned char RADIO = 0x7C;
constexpr unsigned char CONTROLLER = 0xE0;

// FE FE E0 7C FB FD, or FA for a negative answer.
bytes answer(bool positive);

// The call signs of a received transmission. mark is the byte that selects
// the monitor's "  RPT?" (01) or "  UR?" (02); the five fields are padded
// with spaces to 8, 4, 8, 8 and 8 bytes.
bytes callsign_report(unsigned char mark, const std::string& first, const std::string& suffix,
                      const std::string& second, const std::string& third, const std::string& fourth);

// The short text message of a transmission, padded with spaces to 20 bytes.
bytes message_report(const std::string& text);

// True for a frame that a controller addressed to the radio: FE FE 7C E0 .. FD.
bool is_for_radio(const bytes& frame);

}  // namespace radio_sim
