// The few operating-system services the monitor needs. One implementation
// per operating system lives in its own folder; the build picks one.
#pragma once

#include <cstdint>

namespace platform {

// An open serial device. Wide enough for a Windows HANDLE or a POSIX file
// descriptor; -1 is INVALID_HANDLE_VALUE on Windows and no descriptor here.
using port_t = std::intptr_t;
inline constexpr port_t INVALID_PORT = -1;

// The only line settings we change; everything else stays as the driver had it.
struct line_settings {
    int byte_size;
    int baud_rate;
    bool parity_check;      // check parity on input
    bool cts_output_flow;   // hold output until CTS
};

// Milliseconds, with the meaning Windows gives them.
struct line_timeouts {
    unsigned read_interval;
    unsigned read_total_multiplier;
    unsigned read_total_constant;
    unsigned write_total_multiplier;
    unsigned write_total_constant;
};

// Called first thing: standard input, output and error are open from then
// on (on a null device where they were closed), so no device opened later
// can take their place and receive what is meant for them.
void start_up();

// Opens "\\.\COMn" for reading and writing, shared with nobody.
port_t open_port(const char* device_path);
// Reads the present settings, changes the ones given, applies them. false
// when the device refuses them.
bool set_line(port_t port, const line_settings& settings);
void set_timeouts(port_t port, const line_timeouts& timeouts);
// Waits at most the read time-out for one byte; returns how many arrived.
int read_port(port_t port, unsigned char* byte);
void write_port(port_t port, const unsigned char* bytes, int count);
void close_port(port_t port);
// True once a read has found the device gone (unplugged, hung up): nothing
// more will arrive until the port is closed and opened again.
bool line_gone(port_t port);

// Milliseconds on a clock that never goes back, and a plain wait.
long long clock_ms();
void sleep_ms(int ms);

// The console's own keyboard, not standard input. key_test answers at once
// and removes nothing; key_read waits for one key code, without echo and
// with Ctrl-C as code 3. Keys without a character give 0, then a PC code.
bool key_test();
int key_read();

// One character of standard input, or -1 at its end.
int read_input_char();
// Text streams: each '\n' goes out as CR LF. A call writes its bytes out
// before it returns, so nothing complete is ever left in a buffer.
void write_output(const char* text, int count);
void write_error(const char* text, int count);

// Opens the heard log at path for appending, created if missing: from then
// on write_output puts each line into it as well, behind the local time.
// false when it cannot, with the system's reason in reason (zero-ended).
bool open_log(const char* path, char* reason, int reason_size);

}  // namespace platform
