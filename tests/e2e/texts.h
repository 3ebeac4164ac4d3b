// The program's own texts as they reach a redirected standard stream: every
// line end is CR LF. Taken from the program, never copied.
#pragma once

#include <string>

#include "monitor/messages.h"

namespace e2e::texts {

inline std::string crlf(const char* text) {
    std::string s;
    for (; *text; ++text) s += *text == '\n' ? std::string("\r\n") : std::string(1, *text);
    return s;
}

inline const std::string BANNER = crlf(::monitor::BANNER);
inline const std::string PROMPT = crlf(::monitor::PORT_PROMPT);
inline const std::string OPEN_ERROR = crlf(::monitor::OPEN_ERROR);
inline const std::string DCB_ERROR = crlf(::monitor::DCB_ERROR);
inline const std::string READY = crlf(::monitor::READY);
inline const std::string LINE_LOST = crlf(::monitor::LINE_LOST);
inline const std::string FAREWELL = crlf(::monitor::FAREWELL);

}  // namespace e2e::texts
