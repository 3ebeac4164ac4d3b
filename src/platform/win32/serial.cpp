// Serial line through the Windows communications API.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

namespace {

// The line settings record: all zero until the driver fills it, and kept
// as it is when the driver cannot.
DCB line_record;
DWORD read_timeout_ms;  // what a read that finds nothing should take

HANDLE handle_of(port_t port) { return reinterpret_cast<HANDLE>(port); }

}  // namespace

port_t open_port(const char* device_path) {
    // Share mode 0: nobody else may use the port while we do.
    const HANDLE h = CreateFileA(device_path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return h == INVALID_HANDLE_VALUE ? INVALID_PORT : reinterpret_cast<port_t>(h);
}

bool set_line(port_t port, const line_settings& settings) {
    GetCommState(handle_of(port), &line_record);
    line_record.ByteSize = static_cast<BYTE>(settings.byte_size);
    line_record.BaudRate = static_cast<DWORD>(settings.baud_rate);
    line_record.fParity = settings.parity_check ? TRUE : FALSE;
    line_record.fOutxCtsFlow = settings.cts_output_flow ? TRUE : FALSE;
    return SetCommState(handle_of(port), &line_record) != 0;
}

void set_timeouts(port_t port, const line_timeouts& t) {
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = t.read_interval;
    timeouts.ReadTotalTimeoutMultiplier = t.read_total_multiplier;
    timeouts.ReadTotalTimeoutConstant = t.read_total_constant;
    timeouts.WriteTotalTimeoutMultiplier = t.write_total_multiplier;
    timeouts.WriteTotalTimeoutConstant = t.write_total_constant;
    SetCommTimeouts(handle_of(port), &timeouts);
    read_timeout_ms = t.read_total_multiplier + t.read_total_constant;
}

int read_port(port_t port, unsigned char* byte) {
    LARGE_INTEGER start, now, frequency;
    QueryPerformanceCounter(&start);
    DWORD transferred = 0;
    const BOOL ok = ReadFile(handle_of(port), byte, 1, &transferred, nullptr);
    if (ok && transferred == 1) return 1;
    // A port that has gone away (a USB adapter pulled) answers at once,
    // every time, failed or empty: take the time-out all the same, or the
    // loop spins.
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const LONGLONG elapsed_ms = (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
    if (elapsed_ms < static_cast<LONGLONG>(read_timeout_ms))
        Sleep(static_cast<DWORD>(read_timeout_ms - elapsed_ms));
    return 0;
}

void write_port(port_t port, const unsigned char* bytes, int count) {
    DWORD written = 0;
    WriteFile(handle_of(port), bytes, static_cast<DWORD>(count), &written, nullptr);
}

void close_port(port_t port) { CloseHandle(handle_of(port)); }

bool line_gone(port_t) { return false; }

}  // namespace platform
