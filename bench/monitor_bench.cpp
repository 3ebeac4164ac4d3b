// Measures the real monitor against the simulated radio and prints each
// figure beside its goal. Figures, never verdicts: a slow machine gives
// slower figures, not a failure.
//   monitor_bench [--quick] [--markdown FILE]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "scenario.h"
#include "texts.h"

namespace {

using namespace e2e;
using e2e::monitor;
using clock_type = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct figure {
    std::string name, value, goal, note;
};
std::vector<figure> figures;

void report(const std::string& name, const std::string& value, const std::string& goal, const std::string& note = "") {
    figures.push_back({name, value, goal, note});
    std::printf("%-44s %-22s goal: %s%s%s\n", name.c_str(), value.c_str(), goal.c_str(), note.empty() ? "" : "  ",
                note.c_str());
    std::fflush(stdout);
}

std::string fixed(double v, int digits) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", digits, v);
    return b;
}

double seconds_since(clock_type::time_point t) {
    return std::chrono::duration<double>(clock_type::now() - t).count();
}

long peak_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
    return n;
}

// Starts the monitor on the radio's COM port, output to a file, and waits
// for the ready line.
monitor watch(const radio& sim) {
    monitor m = start_monitor();
    answer_prompt(m, std::to_string(sim.com));
    wait_for(m, m.out_path, "ready");
    return m;
}

void finish(monitor& m) {
    end_with_esc(m);
    kill_monitor(m);
}

// Back-to-back call-sign reports, the longest frames the radio sends.
std::string report_stream(int frames) {
    std::ostringstream s;
    s << "await 2\npause 300\n";
    for (int i = 0; i < frames; ++i) s << "callsign 01 \"N1DEMO\" \"9100\" \"CQCQCQ\" \"N0RPT  B\" \"N0RPT  G\"\n";
    s << "message \"end of stream\"\n";
    return s.str();
}

constexpr double STREAM_BYTES_PER_FRAME = 46.0;

// Seconds a reader takes to copy the stream (without the monitor's
// handshake) off a line of its own into a file of at least `bytes` bytes.
double reader_seconds(const char* program, int frames, std::size_t bytes) {
    radio copy = start_radio({"--no-echo"}, report_stream(frames).substr(std::string("await 2\npause 300\n").size()));
    const std::string link = prefix() + "/dosdevices/com" + std::to_string(copy.com);
    const std::string sink = prefix() + "/reader-" + std::to_string(getpid());
    const pid_t reader = fork();
    if (reader == 0) {
        const int out = open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        execlp(program, program, link.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int line = open(link.c_str(), O_WRONLY | O_NOCTTY);
    const auto start = clock_type::now();
    if (write(line, "\xFD", 1) != 1) std::perror("trigger");  // a controller speaks: the stream starts
    while (fs::exists(sink) && fs::file_size(sink) < bytes && seconds_since(start) < 600)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double took = seconds_since(start);
    close(line);
    kill(reader, SIGTERM);
    waitpid(reader, nullptr, 0);
    stop_radio(copy);
    fs::remove(sink);
    return took;
}

void throughput(int frames) {
    radio sim = start_radio({}, report_stream(frames));
    monitor m = watch(sim);
    // The first report line starts the clock, the last one stops it.
    wait_for(m, m.out_path, "N1DEMO", 30);
    const auto start = clock_type::now();
    wait_for(m, m.out_path, "end of stream", 600);
    const double took = seconds_since(start);
    const long peak = peak_kib(m.pid);
    const std::string out = file_text(m.out_path);
    const std::size_t lines = count_of(out, "\r\n") - 1;  // the ready line
    finish(m);
    stop_radio(sim);
    const double rate = frames * STREAM_BYTES_PER_FRAME / took;
    report("throughput, report frames unthrottled", fixed(rate / 1920.0, 0) + "x line rate",
           ">= 100x (1920 B/s)", fixed(rate / 1000.0, 0) + " kB/s, " + std::to_string(frames) + " frames");
    report("lines lost in that stream", std::to_string(static_cast<long>(frames + 1) - static_cast<long>(lines)), "0");
    report("peak resident memory of the monitor", std::to_string(peak) + " KiB", "(figure only)");

    // The same stream, off the same kind of line: the least a lossless
    // monitor must do (a line written as each FD arrives), and a plain copy.
    const std::size_t total = static_cast<std::size_t>(frames * STREAM_BYTES_PER_FRAME) + 28;
    const double writer_took = reader_seconds(IC9100_LINE_WRITER_PATH, frames, total + 2 * (frames + 1));
    const double cat_took = reader_seconds("cat", frames, total);
    report("minimal line-writer, same stream", fixed(total / writer_took / 1920.0, 0) + "x line rate",
           "(the limit)", fixed(total / writer_took / 1000.0, 0) + " kB/s");
    report("the monitor beside the line-writer", fixed(writer_took / took, 2), ">= 0.5",
           "rate over the line-writer's rate");
    report("ceiling: the same stream copied by cat", fixed(total / cat_took / 1920.0, 0) + "x line rate",
           "(figure only)", fixed(total / cat_took / 1000.0, 0) + " kB/s; the monitor at " +
               fixed(cat_took / took, 2) + " of it");
}

void cpu_at(const std::string& name, const std::vector<std::string>& options, const std::string& scenario,
            double seconds, const std::string& goal) {
    radio sim = start_radio(options, scenario);
    monitor m = watch(sim);
    const double before = cpu_seconds(m.pid);
    still_running_after(m, seconds);
    const double used = cpu_seconds(m.pid) - before;
    finish(m);
    stop_radio(sim);
    report(name, fixed(100.0 * used / seconds, 2) + "% of a core", goal, "over " + fixed(seconds, 0) + " s");
}

void key_latency(const std::string& name, const std::string& key, int runs, const std::string& goal,
                 const std::string& note) {
    std::vector<double> ms;
    radio sim = start_radio({}, "");
    for (int i = 0; i < runs; ++i) {
        monitor m = watch(sim);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto start = clock_type::now();
        type(m, key);
        while (file_text(m.err_path).find(texts::FAREWELL) == std::string::npos && seconds_since(start) < 5)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ms.push_back(1000.0 * seconds_since(start));
        type(m, "k");
        wait_exit(m, 5);
        kill_monitor(m);
    }
    stop_radio(sim);
    report(name, fixed(median(ms), 1) + " ms median", goal, note);
}

// The bench plays the radio itself here, to know when each FD went.
void frame_latency(int frames) {
    int line_side, monitor_side;
    openpty(&line_side, &monitor_side, nullptr, nullptr, nullptr);
    termios t{};
    tcgetattr(monitor_side, &t);
    cfmakeraw(&t);
    tcsetattr(monitor_side, TCSANOW, &t);
    const std::string link = prefix() + "/dosdevices/com250";
    fs::create_directories(prefix() + "/dosdevices");
    fs::remove(link);
    fs::create_symlink(ttyname(monitor_side), link);
    close(monitor_side);

    int out[2];
    if (pipe(out) != 0) return;
    int console, terminal;
    openpty(&console, &terminal, nullptr, nullptr, nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(console);
        login_tty(terminal);
        dup2(out[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        setenv("WINEPREFIX", prefix().c_str(), 1);
        execl(IC9100_MONITOR_PATH, IC9100_MONITOR_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    close(terminal);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (write(console, "250\r", 4) != 4) std::perror("answer");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const unsigned char message[] = {0xFE, 0xFE, 0xE0, 0x7C, 0x20, 0x01, 0x01, 'L', 'A', 'T', 'E', 'N', 'C', 'Y', ' ',
                                     ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0xFD};
    std::vector<double> us;
    std::string got;
    for (int i = 0; i < frames; ++i) {
        const std::size_t lines_before = count_of(got, "LATENCY");
        if (write(line_side, message, sizeof message) != sizeof message) break;
        const auto start = clock_type::now();
        pollfd p{out[0], POLLIN, 0};
        while (count_of(got, "LATENCY") == lines_before && poll(&p, 1, 2000) > 0) {
            char b[4096];
            const ssize_t n = read(out[0], b, sizeof b);
            if (n <= 0) break;
            got.append(b, static_cast<std::size_t>(n));
        }
        us.push_back(1e6 * seconds_since(start));
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(console);
    close(out[0]);
    close(line_side);
    fs::remove(link);
    report("frame latency, FD on the line to the line out", fixed(median(us) / 1000.0, 2) + " ms median",
           "<= 2 ms", std::to_string(us.size()) + " frames");
}

void write_markdown(const std::string& path, const std::string& command) {
    std::ofstream md(path);
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&now));
    md << "# Performance\n\n"
       << "Measured on " << date << " with `" << command << "` on this project's build machine "
       << "(2 cores). Figures, not verdicts: a busier machine gives slower ones.\n\n"
       << "| what | figure | goal | detail |\n|---|---|---|---|\n";
    for (const figure& f : figures) md << "| " << f.name << " | " << f.value << " | " << f.goal << " | " << f.note << " |\n";
    md << "\nA terminal sends an arrow key as Esc and more bytes in one write, so only an Esc that came last "
          "waits, 10 ms, for more (as tmux does). The loop notices a key within one 10 ms pass when the line "
          "is quiet, and within a millisecond while bytes keep arriving. On Windows the console reports Esc "
          "as a key of its own, with no such wait.\n"
          "\nThe three readers of the report stream (the monitor, the minimal line-writer and cat) each get "
          "it from radio-sim on a line of their own, in the same run; radio-sim writes as many whole frames "
          "as fit in one write, so the readers set the pace. The monitor's clock starts at its first report "
          "line, the others' when the stream is started.\n";
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    std::string markdown, command = "scripts/bench.sh";
    std::vector<figure> extra;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--quick") quick = true;
        if (a == "--markdown" && i + 1 < argc) markdown = argv[++i];
        if (a == "--command" && i + 1 < argc) command = argv[++i];
        if (a == "--figure" && i + 4 < argc) {
            extra.push_back({argv[i + 1], argv[i + 2], argv[i + 3], argv[i + 4]});
            i += 4;
        }
    }
    signal(SIGPIPE, SIG_IGN);
    throughput(quick ? 2000 : 20000);
    cpu_at("CPU at the real line rate (demo, looping)", {"--line-rate", "--loop"}, radio_sim::demo_scenario(),
           quick ? 5 : 20, "<= 1% of a core");
    cpu_at("CPU with a silent line", {"--silent"}, "", quick ? 5 : 30, "<= 0.5% of a core");
    key_latency("key latency, Esc to \"Hit anykey\"", "\x1B", quick ? 5 : 11, "<= 30 ms median",
                "includes the 10 ms wait that tells a lone Esc from an arrow key");
    key_latency("key latency, Ctrl+Space (0, 3) to \"Hit anykey\"", std::string(1, '\0'), quick ? 5 : 11,
                "<= 30 ms median", "a key that needs no such wait: the loop's own latency");
    frame_latency(quick ? 50 : 200);
    for (const figure& f : extra) report(f.name, f.value, f.goal, f.note);
    if (!markdown.empty()) write_markdown(markdown, command);
    return 0;
}
