#include "frames.h"

namespace radio_sim {

namespace {

void put_field(bytes& frame, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        frame.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : ' ');
}

}  // namespace

bytes answer(bool positive) {
    return {0xFE, 0xFE, CONTROLLER, RADIO, static_cast<unsigned char>(positive ? 0xFB : 0xFA), 0xFD};
}

bytes callsign_report(unsigned char mark, const std::string& first, const std::string& suffix,
                      const std::string& second, const std::string& third, const std::string& fourth) {
    bytes frame = {0xFE, 0xFE, CONTROLLER, RADIO, 0x20, 0x00, 0x01, 0x00, mark};
    put_field(frame, first, 8);
    put_field(frame, suffix, 4);
    put_field(frame, second, 8);
    put_field(frame, third, 8);
    put_field(frame, fourth, 8);
    frame.push_back(0xFD);
    return frame;
}

bytes message_report(const std::string& text) {
    bytes frame = {0xFE, 0xFE, CONTROLLER, RADIO, 0x20, 0x01, 0x01};
    put_field(frame, text, 20);
    frame.push_back(0xFD);
    return frame;
}

bool is_for_radio(const bytes& frame) {
    return frame.size() >= 5 && frame[0] == 0xFE && frame[1] == 0xFE && frame[2] == RADIO &&
           frame[3] == CONTROLLER && frame.back() == 0xFD;
}

}  // namespace radio_sim
