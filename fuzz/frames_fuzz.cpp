// Any byte stream from the air through frame assembly and both report
// lines, checking what must hold whatever arrives.
#include <cstdlib>
#include <cstring>
#include <string>

#include "civ/civ.h"
#include "fake_platform.h"
#include "require.h"
#include "report/report.h"

namespace {

void check_line(const std::string& line) {
    require(!line.empty() && line.back() == '\n', "a report line ends in a line end");
    if (line.rfind("Msg:", 0) == 0 && line.size() == 25) {
        for (int i = 4; i < 24; ++i) {
            const auto b = static_cast<unsigned char>(line[i]);
            require(b == '.' || (b >= 0x20 && b <= 0xDF), "message bytes are shown or '.'");
        }
        return;
    }
    const std::size_t n = line.size();
    require(n == 49 || n == 54 || n == 55, "a call-sign line is 48 bytes, a mark and a line end");
    require(line.compare(8, 3, "  /") == 0 && line.compare(15, 3, "   ") == 0 && line.compare(26, 3, "   ") == 0 &&
                line.compare(37, 3, "   ") == 0,
            "call-sign separators in their columns");
    if (n == 54) require(line.compare(48, 5, "  UR?") == 0, "UR mark");
    if (n == 55) require(line.compare(48, 6, "  RPT?") == 0, "RPT mark");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fake::reset();
    fake::the.line.assign(data, data + size);
    while (fake::the.line_pos < fake::the.line.size()) {
        const int complete = civ::receive_frame_byte();
        require(civ::frame_len >= 0 && civ::frame_len <= civ::FRAME_LEN_CEILING, "frame_len within 0 to 253");
        require(civ::frame_buf[254] == 0, "position 254 is never written");
        if (!complete) continue;
        const unsigned char* after = civ::frame_buf + civ::frame_start;
        require(!(after[1] == civ::RADIO_ADDRESS && after[2] == civ::CONTROLLER_ADDRESS),
                "a frame from E0 to 7C never reaches a display");
        const std::size_t events = fake::the.events.size();
        report::show_callsign_report();
        report::show_message_report();
        require(fake::the.events.size() <= events + 1, "at most one line per frame");
        if (fake::the.events.size() == events + 1) {
            const std::string line = fake::the.events.back().substr(4);
            check_line(line);
            // A line only from a frame of at least its full length: FD at
            // position 27 (message) or 45 (call signs) at the earliest.
            const bool message = line.rfind("Msg:", 0) == 0 && line.size() == 25;
            require(civ::frame_len >= (message ? 28 : 46), "a line only from a frame of its full length");
        }
        civ::frame_len = 0;
    }
    return 0;
}
