#include "report_layout.h"

#include "monitor/messages.h"

namespace layout {

namespace {

constexpr std::size_t MESSAGE_LINE = 25;       // "Msg:", 20 bytes, LF
constexpr std::size_t CALLSIGN_FIELDS = 48;    // five fields and their separators
constexpr std::string_view CALLSIGN_ENDS[] = {"\n", "  UR?\n", "  RPT?\n"};

bool is_message(std::string_view line) {
    if (line.size() != MESSAGE_LINE || line.substr(0, 4) != "Msg:" || line.back() != '\n') return false;
    // Control bytes, and bytes that could only start a character cut in half, show as '.'.
    for (std::size_t i = 4; i < MESSAGE_LINE - 1; ++i) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (b < 0x20 || b > 0xDF) return false;
    }
    return true;
}

bool is_callsign(std::string_view line) {
    if (line.size() < CALLSIGN_FIELDS) return false;
    // The field bytes are the radio's, as they came; only the separators are ours.
    if (line.substr(8, 3) != "  /" || line.substr(15, 3) != "   " || line.substr(26, 3) != "   " ||
        line.substr(37, 3) != "   ")
        return false;
    for (std::string_view end : CALLSIGN_ENDS)
        if (line.substr(CALLSIGN_FIELDS) == end) return true;
    return false;
}

}  // namespace

kind report_line(std::string_view line) {
    if (is_message(line)) return kind::message;
    if (is_callsign(line)) return kind::callsign;
    return kind::none;
}

std::string check_report_lines(const std::string& written, int* reports) {
    if (written.size() >= 2 && written.compare(written.size() - 2, 2, "\r\n") != 0)
        return "the last line is not whole";
    // Every LF goes out as CR LF; a CR of the radio's stays a lone CR.
    std::string t;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n') continue;
        if (written[i] == '\n' && (i == 0 || written[i - 1] != '\r')) return "a line end without CR at " + std::to_string(i);
        t += written[i];
    }
    const std::string_view text = t;
    const std::string_view ready = ::monitor::READY;
    // A field's bytes may hold an LF, so lines are told apart by their
    // layouts rather than split at line ends.
    const std::size_t lengths[] = {MESSAGE_LINE, CALLSIGN_FIELDS + 1, CALLSIGN_FIELDS + 6, CALLSIGN_FIELDS + 7};
    int found = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, ready.size()) == ready) {
            at += ready.size();
            continue;
        }
        std::size_t length = 0;
        for (std::size_t n : lengths)
            if (report_line(text.substr(at, n)) != kind::none) {
                length = n;
                break;
            }
        if (length == 0)
            return "no line layout fits at " + std::to_string(at) + ": " + std::string(text.substr(at, 60));
        at += length;
        ++found;
    }
    if (reports) *reports = found;
    return "";
}

}  // namespace layout
