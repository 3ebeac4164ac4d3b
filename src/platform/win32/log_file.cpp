#include <windows.h>

#include <cstdio>

#include "platform/log_file.h"
#include "platform/log_lines.h"
#include "platform/platform.h"

namespace platform {

namespace {

HANDLE log_handle = INVALID_HANDLE_VALUE;
bool at_line_start = true;

bool cut;

int write_bytes(const char* bytes, int count) {
    DWORD written = 0;
    WriteFile(log_handle, bytes, static_cast<DWORD>(count), &written, nullptr);
    return static_cast<int>(written);
}

void write_piece(const char* bytes, int count) { write_log_piece(bytes, count, cut, write_bytes); }

}  // namespace

// Append access alone makes every write land whole at the end of the file.
// Others may read it while we run, and a second monitor may append to the
// same log, as on POSIX systems. The path is in the ANSI code page, as argv
// has it: a Japanese path on a Japanese Windows opens as typed.
bool open_log(const char* path, char* reason, int reason_size) {
    log_handle = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log_handle != INVALID_HANDLE_VALUE && GetFileType(log_handle) == FILE_TYPE_CHAR) {
        // CON, a COM port: the log holds the radio's raw bytes, which a
        // console would take as escape sequences.
        CloseHandle(log_handle);
        log_handle = INVALID_HANDLE_VALUE;
        std::snprintf(reason, static_cast<std::size_t>(reason_size), "%s", "it is a device, not a file");
        return false;
    }
    if (log_handle != INVALID_HANDLE_VALUE) return true;
    const DWORD error = GetLastError();
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                             static_cast<DWORD>(reason_size), nullptr);
    if (n == 0) n = static_cast<DWORD>(std::snprintf(reason, static_cast<std::size_t>(reason_size), "error %lu",
                                                     static_cast<unsigned long>(error)));
    // The system's text ends in CR LF; our message ends the line itself.
    while (n > 0 && (reason[n - 1] == '\r' || reason[n - 1] == '\n' || reason[n - 1] == ' ')) reason[--n] = '\0';
    return false;
}

void log_output(const char* crlf, int count) {
    if (log_handle == INVALID_HANDLE_VALUE) return;
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[STAMP_SIZE];
    format_stamp({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}, stamp);
    log_lines(crlf, count, stamp, at_line_start, write_piece);
}

}  // namespace platform
