#include "scenario.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace radio_sim {

namespace {

struct line_reader {
    const std::string& text;
    std::size_t pos = 0;
    std::string problem;

    void skip_blanks() {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r')) ++pos;
    }
    bool at_end() {
        skip_blanks();
        return pos >= text.size() || text[pos] == '#';
    }
    bool word(std::string* w) {
        if (at_end()) return false;
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\r') ++pos;
        *w = text.substr(start, pos - start);
        return true;
    }
    bool quoted(std::string* s) {
        if (at_end() || text[pos] != '"') return fail("expected a string in double quotes");
        s->clear();
        for (++pos; pos < text.size(); ++pos) {
            const char c = text[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if (c != '\\') {
                *s += c;
                continue;
            }
            if (++pos >= text.size()) break;
            if (text[pos] == '\\' || text[pos] == '"') {
                *s += text[pos];
            } else if (text[pos] == 'x' && pos + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos + 1])) &&
                       std::isxdigit(static_cast<unsigned char>(text[pos + 2]))) {
                *s += static_cast<char>(std::strtol(text.substr(pos + 1, 2).c_str(), nullptr, 16));
                pos += 2;
            } else {
                return fail("unknown escape in a string (use \\xHH, \\\\ or \\\")");
            }
        }
        return fail("string without its closing quote");
    }
    bool fail(const std::string& why) {
        if (problem.empty()) problem = why;
        return false;
    }
};

bool hex_byte(const std::string& w, unsigned char* b) {
    if (w.size() != 2 || !std::isxdigit(static_cast<unsigned char>(w[0])) ||
        !std::isxdigit(static_cast<unsigned char>(w[1])))
        return false;
    *b = static_cast<unsigned char>(std::strtol(w.c_str(), nullptr, 16));
    return true;
}

bool number(const std::string& w, int lowest, int highest, int* n) {
    if (w.empty() || w.size() > 9 || w.find_first_not_of("0123456789") != std::string::npos) return false;
    *n = std::atoi(w.c_str());
    return *n >= lowest && *n <= highest;
}

bool parse_line(line_reader& r, scenario* steps) {
    std::string keyword;
    if (!r.word(&keyword)) return true;  // blank or comment
    if (keyword == "callsign") {
        std::string w, f[5];
        unsigned char mark;
        if (!r.word(&w) || !hex_byte(w, &mark)) return r.fail("callsign: expected the mark as a hex byte (01, 02, ...)");
        const std::size_t widths[5] = {8, 4, 8, 8, 8};
        for (int i = 0; i < 5; ++i) {
            if (!r.quoted(&f[i])) return r.fail("callsign: expected five fields in double quotes");
            if (f[i].size() > widths[i])
                return r.fail("callsign: field " + std::to_string(i + 1) + " is longer than " +
                              std::to_string(widths[i]) + " bytes");
        }
        if (!r.at_end()) return r.fail("callsign: unexpected text after the fifth field");
        steps->push_back({step::send, callsign_report(mark, f[0], f[1], f[2], f[3], f[4]), 0});
        return true;
    }
    if (keyword == "message") {
        std::string text;
        if (!r.quoted(&text)) return false;
        if (text.size() > 20) return r.fail("message: longer than 20 bytes");
        if (!r.at_end()) return r.fail("message: unexpected text after the string");
        steps->push_back({step::send, message_report(text), 0});
        return true;
    }
    if (keyword == "hex") {
        bytes data;
        std::string w;
        while (r.word(&w)) {
            const std::size_t star = w.find('*');
            unsigned char b;
            int count = 1;
            if (!hex_byte(w.substr(0, star), &b) ||
                (star != std::string::npos && !number(w.substr(star + 1), 1, 1000000, &count)))
                return r.fail("hex: '" + w + "' is not a hex byte or BYTE*COUNT");
            data.insert(data.end(), static_cast<std::size_t>(count), b);
        }
        if (data.empty()) return r.fail("hex: no bytes");
        steps->push_back({step::send, data, 0});
        return true;
    }
    if (keyword == "pause" || keyword == "await") {
        std::string w;
        int n;
        if (!r.word(&w) || !number(w, 0, 86400000, &n)) return r.fail(keyword + ": expected a whole number");
        if (!r.at_end()) return r.fail(keyword + ": unexpected text after the number");
        steps->push_back({keyword == "pause" ? step::pause : step::await, {}, n});
        return true;
    }
    return r.fail("unknown step '" + keyword + "' (callsign, message, hex, pause or await)");
}

}  // namespace

bool parse_scenario(const std::string& text, const std::string& source, scenario* steps, std::string* error) {
    scenario parsed;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line_reader r{line, 0, {}};
        if (!parse_line(r, &parsed)) {
            *error = source + ":" + std::to_string(number) + ": " + r.problem;
            return false;
        }
    }
    *steps = std::move(parsed);
    return true;
}

const std::string& demo_scenario() {
    static const std::string demo = R"(# A quiet evening on a D-STAR repeater. The stations are made up.
await 2
pause 800
callsign 01 "N1DEMO  " "9100" "CQCQCQ  " "N0RPT  B" "N0RPT  G"
pause 150
message "CQ CQ from N1DEMO"
pause 2500
callsign 02 "N2TEST  " "    " "N1DEMO  " "N0RPT  B" "N0RPT  G"
pause 150
message "N1DEMO de N2TEST"
pause 2500
callsign 01 "N3HAM   " "ID51" "CQCQCQ  " "N0RPT  C" "N0RPT  G"
pause 150
message "\xBA\xDD\xCA\xDE\xDD\xDC 73"
pause 2500
callsign 00 "N1DEMO  " "9100" "N2TEST  " "N0RPT  B" "N0RPT  G"
pause 150
message "QSL, 73 es GN"
pause 4000
)";
    return demo;
}

}  // namespace radio_sim
