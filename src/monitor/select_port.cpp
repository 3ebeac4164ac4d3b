#include <cstdio>

#include "civ/civ.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"
#include "platform/platform.h"

namespace monitor {

using civ::port_handle;

int port_number;
char line_buf[16];

namespace {

// The device path "\\.\COM" has room for 8 more characters, sign included.
constexpr long long HIGHEST_PORT = 99999999;
constexpr long long LOWEST_PORT = -9999999;

enum answer_kind { no_answer, no_number, out_of_range, number };

struct answer {
    answer_kind kind;
    int value;
};

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads one whole line, however long, so that no part of it is ever taken
// as the next answer, and reads a decimal number from its start as strtol
// does. line_buf keeps the first 15 characters.
answer read_answer() {
    enum { before_number, after_sign, in_digits, stopped } stage = before_number;
    bool negative = false;
    long long magnitude = 0;  // stops growing once it is out of range
    long long length = 0;
    bool ends_in_cr = false;
    bool got_any = false;
    bool has_digits = false;
    int c;
    while ((c = platform::read_input_char()) != -1) {
        got_any = true;
        if (c == '\n') break;
        if (length < static_cast<long long>(sizeof line_buf) - 1) line_buf[length] = static_cast<char>(c);
        ++length;
        ends_in_cr = (c == '\r');

        if (stage == before_number && is_space(c)) continue;
        if (stage == before_number && (c == '+' || c == '-')) {
            negative = (c == '-');
            stage = after_sign;
        } else if (stage != stopped && is_digit(c)) {
            if (magnitude <= HIGHEST_PORT) magnitude = magnitude * 10 + (c - '0');
            stage = in_digits;
            has_digits = true;
        } else {
            stage = stopped;
        }
    }
    constexpr long long LAST = sizeof line_buf - 1;
    line_buf[length < LAST ? length : LAST] = '\0';
    if (ends_in_cr) --length;  // a CR LF line end is a line end
    if (!got_any || length == 0) return {no_answer, 0};
    if (!has_digits) return {no_number, 0};
    const long long value = negative ? -magnitude : magnitude;
    if (value > HIGHEST_PORT || value < LOWEST_PORT) return {out_of_range, 0};
    return {number, static_cast<int>(value)};
}

}  // namespace

port_result select_port() {
    say_err(BANNER);
    for (;;) {
        say_err(PORT_PROMPT);
        const answer a = read_answer();
        if (a.kind == no_answer) return input_ended;
        if (a.kind == number) port_number = a.value;
        if (a.kind == out_of_range) {
            say_out(OPEN_ERROR);
            continue;
        }
        std::snprintf(line_buf, sizeof line_buf, "\\\\.\\COM%d", port_number);
        port_handle = platform::open_port(line_buf);
        if (port_handle != platform::INVALID_PORT) break;
        say_out(OPEN_ERROR);
    }

    return set_up_line() ? port_opened : line_refused;
}

bool set_up_line() {
    if (!platform::set_line(port_handle, {8, 19200, false, false})) {
        // Left open on purpose: the process ends right after this.
        say_out(DCB_ERROR);
        return false;
    }
    // A one-byte read returns as soon as the byte is there, else after
    // 10 ms; this is the receive loop's only clock.
    platform::set_timeouts(port_handle, {10, 0, 10, 0, 0});
    return true;
}

}  // namespace monitor
