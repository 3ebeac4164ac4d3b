// Feeds a fixed stream of report frames through frame assembly and both
// report lines, with a platform that serves bytes from memory and throws
// the lines away: what the monitor's own code costs per received byte.
//   core_bytes FRAMES   (valgrind's callgrind counts the instructions)
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "civ/civ.h"
#include "platform/platform.h"
#include "report/report.h"

namespace {
std::vector<unsigned char> stream;
std::size_t next;
}  // namespace

namespace platform {
port_t open_port(const char*) { return 1; }
bool set_line(port_t, const line_settings&) { return true; }
void set_timeouts(port_t, const line_timeouts&) {}
int read_port(port_t, unsigned char* byte) {
    if (next >= stream.size()) return 0;
    *byte = stream[next++];
    return 1;
}
void write_port(port_t, const unsigned char*, int) {}
void close_port(port_t) {}
bool key_test() { return false; }
int key_read() { return 27; }
int read_input_char() { return -1; }
long written;  // kept, so the lines are not optimised away
void write_output(const char*, int count) { written += count; }
void write_error(const char*, int count) { written += count; }
}  // namespace platform

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string fields = "N1DEMO  9100CQCQCQ  N0RPT  BN0RPT  G";
    for (int i = 0; i < frames; ++i) {
        const unsigned char head[] = {0xFE, 0xFE, 0xE0, 0x7C, 0x20, static_cast<unsigned char>(i % 2), 0x01};
        stream.insert(stream.end(), head, head + sizeof head);
        if (i % 2 == 0) {
            stream.push_back(0x00);
            stream.push_back(0x01);
            stream.insert(stream.end(), fields.begin(), fields.end());
        } else {
            const std::string text = "CQ CQ de N1DEMO  73 ";
            stream.insert(stream.end(), text.begin(), text.end());
        }
        stream.push_back(0xFD);
    }
    while (next < stream.size()) {
        if (!civ::receive_frame_byte()) continue;
        report::show_callsign_report();
        report::show_message_report();
        civ::frame_len = 0;
    }
    return platform::written > 0 ? 0 : 1;
}
