#include "fake_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "civ/civ.h"
#include "monitor/monitor.h"

namespace fake {

state the;

namespace {
constexpr platform::port_t FAKE_PORT = 42;
constexpr long RUNAWAY_READS = 10'000'000;
}  // namespace

void reset() {
    the = state{};
    std::memset(civ::frame_buf, 0, sizeof civ::frame_buf);
    civ::frame_len = 0;
    civ::frame_start = 0;
    monitor::port_number = 0;
    std::memset(monitor::line_buf, 0, sizeof monitor::line_buf);
    civ::port_handle = FAKE_PORT;
    monitor::setup_state = 0;
}

std::vector<std::optional<unsigned char>> bytes(std::initializer_list<int> values) {
    std::vector<std::optional<unsigned char>> v;
    for (int b : values) v.push_back(b < 0 ? std::nullopt : std::optional<unsigned char>(b));
    return v;
}

std::string hex(const std::vector<unsigned char>& frame) {
    std::string s;
    char two[4];
    for (unsigned char b : frame) {
        std::snprintf(two, sizeof two, "%s%02X", s.empty() ? "" : " ", b);
        s += two;
    }
    return s;
}

}  // namespace fake

namespace platform {

using fake::the;

port_t open_port(const char* device_path) {
    the.opened.push_back(device_path);
    if (!the.port_opens(device_path)) return INVALID_PORT;
    if (the.closed) the.events.push_back(std::string("opened:") + device_path);
    the.closed = the.gone = false;
    return fake::FAKE_PORT;
}

bool set_line(port_t, const line_settings& settings) {
    the.settings = settings;
    return the.line_accepted;
}

void set_timeouts(port_t, const line_timeouts& timeouts) { the.timeouts = timeouts; }

int read_port(port_t port, unsigned char* byte) {
    if (port != fake::FAKE_PORT || the.closed) std::abort();
    if (++the.reads > fake::RUNAWAY_READS) std::abort();
    for (auto at = the.gone_at.begin(); at != the.gone_at.end(); ++at)
        if (*at == the.line_pos) {
            the.gone_at.erase(at);
            the.gone = true;
            break;
        }
    if (the.gone || the.line_pos >= the.line.size() || !the.line[the.line_pos]) {
        if (!the.gone && the.line_pos < the.line.size()) ++the.line_pos;
        the.now_ms += 10;
        return 0;
    }
    const auto b = the.line[the.line_pos++];
    *byte = *b;
    return 1;
}

void write_port(port_t, const unsigned char* bytes, int count) {
    the.sent.emplace_back(bytes, bytes + count);
    the.sent_after_reads.push_back(the.reads);
    the.events.push_back("sent:" + fake::hex(the.sent.back()));
}

void close_port(port_t) {
    the.closed = true;
    the.events.push_back("closed");
}

bool line_gone(port_t) { return the.gone; }

long long clock_ms() { return the.now_ms; }

void sleep_ms(int ms) { the.now_ms += ms; }

bool key_test() {
    if (the.key_pos < the.keys.size()) return the.keys[the.key_pos].after_reads <= the.reads;
    return the.esc_when_line_ends && the.line_pos >= the.line.size();
}

int key_read() {
    the.events.push_back("key");
    if (the.key_pos < the.keys.size()) return the.keys[the.key_pos++].code;
    return 27;
}

int read_input_char() {
    if (the.input_pos >= the.input.size()) return -1;
    return static_cast<unsigned char>(the.input[the.input_pos++]);
}

void write_output(const char* text, int count) {
    the.out.append(text, count);
    the.events.push_back("out:" + std::string(text, count));
}

void write_error(const char* text, int count) {
    the.err.append(text, count);
    the.events.push_back("err:" + std::string(text, count));
}

}  // namespace platform
