// radio-sim: an IC-9100 on a CI-V line, for trying and testing the monitor
// without a radio. The line is a pseudo-terminal published as a COM port.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>

#include "com_link.h"
#include "frames.h"
#include "scenario.h"

namespace {

using namespace radio_sim;

constexpr const char* USAGE =
    "usage: radio-sim [options] [SCENARIO]\n"
    "\n"
    "Plays an IC-9100 on a virtual serial line for ic9100-monitor. Without\n"
    "SCENARIO it plays a built-in demo.\n"
    "\n"
    "  --com N        publish the line as COM N (default: the first free one);\n"
    "                 a COM N that is there already is refused unless it is a\n"
    "                 link left behind by a radio-sim that is gone\n"
    "  --prefix DIR   the Wine prefix whose dosdevices/comN names the line\n"
    "                 (default: $WINEPREFIX, else ~/.wine)\n"
    "  --no-echo      do not echo the controller's bytes (a CI-V line does)\n"
    "  --negative     answer setup frames with FA (NG) instead of FB (OK)\n"
    "  --silent       never answer\n"
    "  --line-rate    send at 19200 baud (1920 bytes a second)\n"
    "  --loop         play the scenario again and again\n"
    "  --verbose      print each frame the controller sends\n"
    "  --help         this text\n"
    "\n"
    "The scenario format is one step a line:\n"
    "  callsign MARK \"FIELD1\" \"SUFX\" \"FIELD2\" \"FIELD3\" \"FIELD4\"\n"
    "  message \"TEXT\"     hex FE FE 41*300 FD     pause MS     await N\n";

constexpr int ANSWER_DELAY_MS = 5;
constexpr std::size_t BURST_BYTES = 16384;
constexpr double LINE_RATE = 1920.0;  // bytes a second at 19200 baud, 8N1

struct options {
    int com = 0;
    std::string prefix;
    bool echo = true, negative = false, silent = false, line_rate = false, loop = false, verbose = false;
    std::string scenario_file;
};

volatile sig_atomic_t stop_signal = 0;
com_link published;

void on_signal(int s) { stop_signal = s; }

double now_s() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int usage_error(const std::string& problem) {
    std::fprintf(stderr, "radio-sim: %s\n\n%s", problem.c_str(), USAGE);
    return 2;
}

// -1 to go on, else the exit status.
int parse_options(int argc, char** argv, options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (a == "--com") {
            char* end = nullptr;
            const long n = has_value ? std::strtol(argv[++i], &end, 10) : 0;
            if (!has_value || *end || n < 1 || n > 256) return usage_error("--com takes a number from 1 to 256");
            o->com = static_cast<int>(n);
        } else if (a == "--prefix") {
            if (!has_value) return usage_error("--prefix takes a folder");
            o->prefix = argv[++i];
        } else if (a == "--no-echo") {
            o->echo = false;
        } else if (a == "--negative") {
            o->negative = true;
        } else if (a == "--silent") {
            o->silent = true;
        } else if (a == "--line-rate") {
            o->line_rate = true;
        } else if (a == "--loop") {
            o->loop = true;
        } else if (a == "--verbose") {
            o->verbose = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option " + a);
        } else if (o->scenario_file.empty()) {
            o->scenario_file = a;
        } else {
            return usage_error("only one scenario file");
        }
    }
    return -1;
}

bool load_scenario(const options& o, scenario* steps) {
    std::string text, error;
    std::string source = "demo";
    if (!o.scenario_file.empty()) {
        std::ifstream in(o.scenario_file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "radio-sim: cannot read %s: %s\n", o.scenario_file.c_str(), std::strerror(errno));
            return false;
        }
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
        source = o.scenario_file;
    } else {
        text = demo_scenario();
    }
    if (!parse_scenario(text, source, steps, &error)) {
        std::fprintf(stderr, "radio-sim: %s\n", error.c_str());
        return false;
    }
    return true;
}

// The controller's end of the line: a raw pseudo-terminal.
int open_line(std::string* slave_name, int* slave_keep) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    *slave_name = ptsname(master);
    // Held open so that the line stays up while no controller has it open.
    *slave_keep = open(slave_name->c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (*slave_keep < 0) return -1;
    termios t{};
    tcgetattr(*slave_keep, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B19200);
    tcsetattr(*slave_keep, TCSANOW, &t);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

// -1 once published, else the exit status.
int publish(const options& o, const std::string& slave_name) {
    std::string prefix = o.prefix;
    if (prefix.empty()) {
        const char* wp = std::getenv("WINEPREFIX");
        const char* home = std::getenv("HOME");
        prefix = (wp && *wp) ? wp : std::string(home ? home : "") + "/.wine";
    }
    const std::string dir = prefix + "/dosdevices";
    mkdir(prefix.c_str(), 0755);
    mkdir(dir.c_str(), 0755);
    std::string message;
    const publish_result r = publish_link(dir, o.com, slave_name, &published, &message);
    if (r == publish_result::published) return -1;
    std::fprintf(stderr, "radio-sim: %s\n", message.c_str());
    return r == publish_result::taken ? 2 : 1;
}

void unpublish() {
    withdraw_link(published);
    published = {};
}

struct line_state {
    int master;
    bool line_rate;
    std::deque<bytes> queue;  // whole frames: nothing is cut into another
    std::size_t offset = 0;   // into queue.front()
    double next_byte_at = 0;  // line-rate pacing
};

// Unpaced, as many whole frames as fit go out in one write, so that a burst
// is limited by its reader, not by one system call per frame.
bool send_burst(line_state& l) {
    static unsigned char burst[BURST_BYTES];
    std::size_t size = 0;
    for (const bytes& item : l.queue) {
        const std::size_t from = size == 0 ? l.offset : 0;
        if (size + item.size() - from > sizeof burst) break;
        std::memcpy(burst + size, item.data() + from, item.size() - from);
        size += item.size() - from;
    }
    if (size == 0) return false;  // one frame larger than a burst: the slow way
    const ssize_t n = write(l.master, burst, size);
    if (n <= 0) return true;
    std::size_t done = static_cast<std::size_t>(n);
    while (done > 0) {
        const std::size_t left = l.queue.front().size() - l.offset;
        if (done < left) {
            l.offset += done;
            break;
        }
        done -= left;
        l.queue.pop_front();
        l.offset = 0;
    }
    return true;
}

// Writes what the line takes now; returns seconds until more may go, or -1.
double send_some(line_state& l, double now) {
    if (!l.line_rate && l.queue.size() > 1 && send_burst(l) && !l.queue.empty()) return 0.001;
    while (!l.queue.empty()) {
        const bytes& item = l.queue.front();
        std::size_t want = item.size() - l.offset;
        if (l.line_rate) {
            if (l.next_byte_at < now - 0.002) l.next_byte_at = now;  // no credit for idle time
            if (now < l.next_byte_at) return l.next_byte_at - now;
            const std::size_t allowed = 1 + static_cast<std::size_t>((now - l.next_byte_at) * LINE_RATE);
            if (want > allowed) want = allowed;
        }
        const ssize_t n = write(l.master, item.data() + l.offset, want);
        if (n < 0) return (errno == EAGAIN || errno == EINTR) ? 0.005 : -1;
        l.offset += static_cast<std::size_t>(n);
        if (l.line_rate) l.next_byte_at += static_cast<double>(n) / LINE_RATE;
        if (l.offset == item.size()) {
            l.queue.pop_front();
            l.offset = 0;
        }
    }
    return -1;
}

int run(const options& o, const scenario& steps) {
    std::string slave_name;
    int slave_keep = -1;
    const int master = open_line(&slave_name, &slave_keep);
    if (master < 0) {
        std::fprintf(stderr, "radio-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const int refused = publish(o, slave_name);
    if (refused >= 0) return refused;
    std::atexit(unpublish);
    const int com = published.com;
    std::printf("radio-sim: an IC-9100 is on COM%d (%s -> %s)\n", com, published.path.c_str(), slave_name.c_str());
    std::printf("radio-sim: type %d at the monitor's prompt\n", com);
    std::fflush(stdout);

    line_state line{master, o.line_rate, {}, 0, 0};
    bytes from_controller;
    std::deque<std::pair<double, bytes>> answers;
    int answered = 0;
    bool controller_seen = false;
    std::size_t next_step = 0;
    double resume_at = 0;

    while (!stop_signal) {
        const double now = now_s();
        while (!answers.empty() && answers.front().first <= now) {
            line.queue.push_back(answers.front().second);
            answers.pop_front();
            ++answered;
        }
        // The scenario moves on when the line has sent everything before.
        // Unpaced, frames that follow one another are queued together.
        auto can_move_on = [&] {
            if (!controller_seen || now < resume_at) return false;
            if (next_step >= steps.size() && (!o.loop || steps.empty())) return false;
            const step& s = steps[next_step < steps.size() ? next_step : 0];
            if (!line.queue.empty() && (o.line_rate || s.kind != step::send || line.queue.size() >= 256)) return false;
            return s.kind != step::await || answered >= s.number;
        };
        while (can_move_on()) {
            if (next_step >= steps.size()) next_step = 0;
            const step& s = steps[next_step++];
            if (s.kind == step::send) line.queue.push_back(s.data);
            if (s.kind == step::pause) resume_at = now + s.number / 1000.0;
        }

        double wait = send_some(line, now);
        if (!answers.empty()) {
            const double until = answers.front().first - now;
            if (wait < 0 || until < wait) wait = until;
        }
        if (controller_seen && line.queue.empty() && resume_at > now) {
            if (wait < 0 || resume_at - now < wait) wait = resume_at - now;
        }
        if (line.queue.empty() && can_move_on()) wait = 0;
        pollfd p{master, static_cast<short>(POLLIN | (line.queue.empty() || o.line_rate ? 0 : POLLOUT)), 0};
        const int timeout = wait < 0 ? 1000 : static_cast<int>(std::ceil(wait * 1000));
        if (poll(&p, 1, timeout) <= 0 || !(p.revents & POLLIN)) continue;

        unsigned char buf[1024];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) continue;
        controller_seen = true;
        if (o.echo) line.queue.emplace_back(buf, buf + n);
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == 0xFE && (from_controller.empty() || from_controller.back() != 0xFE)) from_controller.clear();
            from_controller.push_back(buf[i]);
            if (buf[i] != 0xFD) continue;
            if (o.verbose) {
                std::printf("radio-sim: from the controller:");
                for (unsigned char b : from_controller) std::printf(" %02X", b);
                std::printf("\n");
                std::fflush(stdout);
            }
            if (is_for_radio(from_controller) && !o.silent)
                answers.emplace_back(now_s() + ANSWER_DELAY_MS / 1000.0, answer(!o.negative));
            from_controller.clear();
        }
    }
    unpublish();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    options o;
    const int parsed = parse_options(argc, argv, &o);
    if (parsed >= 0) return parsed;
    scenario steps;
    if (!load_scenario(o, &steps)) return 1;

    struct sigaction act{};
    act.sa_handler = on_signal;
    sigemptyset(&act.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &act, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return run(o, steps);
}
