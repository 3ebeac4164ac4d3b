// Any byte stream from the air through frame assembly and both report
// lines, checking what must hold whatever arrives.
#include <cstdlib>
#include <cstring>
#include <string>

#include "civ/civ.h"
#include "fake_platform.h"
#include "require.h"
#include "report/report.h"
#include "report_layout.h"

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
            const std::string& event = fake::the.events.back();
            require(event.rfind("out:", 0) == 0, "report lines go to standard output");
            const layout::kind line = layout::report_line(std::string_view(event).substr(4));
            require(line != layout::kind::none, "a report line has one of the two layouts, its line end included");
            // A line only from a frame of at least its full length: FD at
            // position 27 (message) or 45 (call signs) at the earliest.
            require(civ::frame_len >= (line == layout::kind::message ? 28 : 46),
                    "a line only from a frame of its full length");
        }
        civ::frame_len = 0;
    }
    return 0;
}
