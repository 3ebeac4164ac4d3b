#include "report_layout.h"

namespace e2e {

namespace {

const std::string READY = "IC-9100 recieving ready\n";

bool callsign_separators(const std::string& t, std::size_t at) {
    return t.compare(at + 8, 3, "  /") == 0 && t.compare(at + 15, 3, "   ") == 0 && t.compare(at + 26, 3, "   ") == 0 &&
           t.compare(at + 37, 3, "   ") == 0;
}

bool message_line(const std::string& t, std::size_t at) {
    if (t.compare(at, 4, "Msg:") != 0 || at + 25 > t.size() || t[at + 24] != '\n') return false;
    for (std::size_t i = at + 4; i < at + 24; ++i) {
        const auto b = static_cast<unsigned char>(t[i]);
        if (b != '.' && (b < 0x20 || b > 0xDF)) return false;
    }
    return true;
}

}  // namespace

std::string check_report_lines(const std::string& written, int* reports) {
    if (!written.empty() && written.size() >= 2 && written.compare(written.size() - 2, 2, "\r\n") != 0)
        return "the last line is not whole";
    // Every LF goes out as CR LF; a CR of the radio's stays a lone CR.
    std::string t;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n') continue;
        if (written[i] == '\n' && (i == 0 || written[i - 1] != '\r')) return "a line end without CR at " + std::to_string(i);
        t += written[i];
    }
    int found = 0;
    for (std::size_t at = 0; at < t.size(); ++found) {
        if (t.compare(at, READY.size(), READY) == 0) {
            at += READY.size();
            --found;
        } else if (message_line(t, at)) {
            at += 25;
        } else if (at + 49 <= t.size() && callsign_separators(t, at)) {
            const std::size_t mark = at + 48;
            if (t.compare(mark, 7, "  RPT?\n") == 0) at = mark + 7;
            else if (t.compare(mark, 6, "  UR?\n") == 0) at = mark + 6;
            else if (t[mark] == '\n') at = mark + 1;
            else return "a call-sign line with no proper end at " + std::to_string(at);
        } else {
            return "no line layout fits at " + std::to_string(at) + ": " + t.substr(at, 60);
        }
    }
    if (reports) *reports = found;
    return "";
}

}  // namespace e2e
