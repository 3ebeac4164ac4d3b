#include "civ/civ.h"
#include "platform/platform.h"
#include "report/report.h"

namespace report {

namespace {

constexpr int MESSAGE_FIRST = 7;
constexpr int MESSAGE_LENGTH = 20;
// The frame's FD comes here at the earliest; a frame cut shorter is no report.
constexpr int LAYOUT_LENGTH = MESSAGE_FIRST + MESSAGE_LENGTH;

// Keeps ASCII and the single-byte katakana of Shift-JIS; control bytes and
// the bytes from E0 up, which could only start a character cut in half, go.
char shown(unsigned char b) { return (b >= 0x20 && b <= 0xDF) ? static_cast<char>(b) : '.'; }

}  // namespace

void show_message_report() {
    const unsigned char* f = civ::frame_buf;
    if (f[0] != civ::PREAMBLE || f[1] != civ::PREAMBLE || f[4] != civ::REPORT_COMMAND ||
        f[5] != 0x01 || f[6] != 0x01 || civ::frame_len <= LAYOUT_LENGTH)
        return;

    char line[4 + MESSAGE_LENGTH + 1] = {'M', 's', 'g', ':'};
    for (int i = 0; i < MESSAGE_LENGTH; ++i) line[4 + i] = shown(f[MESSAGE_FIRST + i]);
    line[4 + MESSAGE_LENGTH] = '\n';
    platform::write_output(line, sizeof line);
}

}  // namespace report
