// Serial line through the Windows communications API.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

namespace {

// The line settings record: all zero until the driver fills it, and kept
// as it is when the driver cannot.
DCB line_record;
DWORD read_timeout_ms;  // what a read that finds nothing should take
// How the last read came back: only a read that brought nothing can mean
// that the device has gone, and only then is it worth asking.
bool last_read_empty;
DWORD last_read_error;  // 0 when ReadFile succeeded

HANDLE handle_of(port_t port) { return reinterpret_cast<HANDLE>(port); }

// What the system answers for a device that is no longer there: a USB
// adapter pulled gives ERROR_ACCESS_DENIED (the driver's delete pending) or
// ERROR_BAD_COMMAND with the common drivers, the others come from other
// drivers and from the device being removed while a call waits. Wine
// answers ERROR_NOT_READY for a pseudo-terminal that has hung up.
bool means_device_gone(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_HANDLE:
        case ERROR_NOT_READY:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
            return true;
    }
    return false;
}

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
    last_read_empty = !(ok && transferred == 1);
    last_read_error = ok ? 0 : GetLastError();
    if (!last_read_empty) return 1;
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

bool line_gone(port_t port) {
    if (!last_read_empty) return false;
    if (means_device_gone(last_read_error)) return true;
    // Some drivers, and Wine always, answer empty reads on a line that has
    // gone; asking for the line's state tells. ERROR_OPERATION_ABORTED from
    // ReadFile is a line error under fAbortOnError as often as a removal:
    // this call clears the error and fails only for the removal.
    DWORD line_errors = 0;
    if (ClearCommError(handle_of(port), &line_errors, nullptr)) return false;
    return means_device_gone(GetLastError());
}

}  // namespace platform
