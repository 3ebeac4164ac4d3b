#include "civ/civ.h"
#include "platform/platform.h"
#include "report/report.h"

namespace report {

namespace {

struct field {
    const char* before;  // text written ahead of the field's bytes
    int first;
    int count;
};

// The frame's FD comes at this position at the earliest: a frame that ends
// sooner was cut short, and its fields would show what earlier frames left.
constexpr int LAYOUT_LENGTH = 45;

constexpr field FIELDS[] = {
    {"", 9, 8}, {"  /", 17, 4}, {"   ", 21, 8}, {"   ", 29, 8}, {"   ", 37, 8},
};

int append(char* line, int len, const char* text) {
    while (*text) line[len++] = *text++;
    return len;
}

}  // namespace

void show_callsign_report() {
    const unsigned char* f = civ::frame_buf;
    if (f[0] != civ::PREAMBLE || f[1] != civ::PREAMBLE || f[4] != civ::REPORT_COMMAND ||
        f[5] != 0x00 || f[6] != 0x01 || civ::frame_len <= LAYOUT_LENGTH)
        return;

    // Field bytes go out exactly as the radio sent them, zero bytes included.
    char line[64];
    int len = 0;
    for (const field& fld : FIELDS) {
        len = append(line, len, fld.before);
        for (int i = 0; i < fld.count; ++i) line[len++] = static_cast<char>(f[fld.first + i]);
    }
    if (f[8] == 0x01)
        len = append(line, len, "  RPT?");
    else if (f[8] == 0x02)
        len = append(line, len, "  UR?");
    len = append(line, len, "\n");
    platform::write_output(line, len);
}

}  // namespace report
