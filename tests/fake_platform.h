// A scripted stand-in for the operating system: standard input, the serial
// line and the keyboard are played from scripts; everything the monitor
// writes is captured.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

struct key_press {
    long after_reads;  // pressed once the port has been read this many times
    int code;
};

struct state {
    std::string input;                      // standard input
    std::size_t input_pos = 0;
    std::function<bool(const std::string&)> port_opens = [](const std::string&) { return true; };
    bool line_accepted = true;
    std::vector<std::optional<unsigned char>> line;  // one entry per read; nullopt: time-out
    std::size_t line_pos = 0;
    // Line positions at which a read finds the device gone; it stays gone
    // until the port is opened again.
    std::vector<std::size_t> gone_at;
    long long now_ms = 0;  // a read that finds nothing takes 10 ms
    std::vector<key_press> keys;
    std::size_t key_pos = 0;
    bool esc_when_line_ends = true;  // press Esc once the line script is played out

    // What the monitor did.
    std::string out, err;
    std::vector<std::string> opened;               // device paths tried
    std::vector<std::vector<unsigned char>> sent;  // frames written to the port
    std::vector<long> sent_after_reads;            // when each one went
    std::vector<std::string> events;               // out:, err:, sent:, closed, key
    std::optional<platform::line_settings> settings;
    std::optional<platform::line_timeouts> timeouts;
    long reads = 0;
    bool closed = false;
    bool gone = false;
};

extern state the;

// Fresh fake, and the monitor's program-wide state back to its start.
void reset();
std::vector<std::optional<unsigned char>> bytes(std::initializer_list<int> values);
std::string hex(const std::vector<unsigned char>& frame);

}  // namespace fake
