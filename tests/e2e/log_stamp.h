// The heard log's stamp as tests read it: "YYYY-MM-DD HH:MM:SS " in front
// of every line.
#pragma once

#include <cctype>
#include <string>

namespace e2e {

inline constexpr std::size_t LOG_STAMP_SIZE = 20;

inline bool is_stamp(const std::string& s) {
    static const std::string shape = "dddd-dd-dd dd:dd:dd ";
    if (s.size() != shape.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(s[i])) : s[i] != shape[i]) return false;
    return true;
}

// The log's text with every line's stamp taken off; a line without a
// whole stamp is kept as it is, so that a comparison shows it.
inline std::string without_stamps(const std::string& log) {
    std::string text;
    for (std::size_t start = 0; start < log.size();) {
        std::size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        const std::string line = log.substr(start, end - start);
        text += is_stamp(line.substr(0, LOG_STAMP_SIZE)) ? line.substr(LOG_STAMP_SIZE) : line;
        start = end;
    }
    return text;
}

}  // namespace e2e
