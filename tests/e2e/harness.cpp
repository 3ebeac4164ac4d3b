#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "texts.h"

namespace e2e {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

namespace {

std::string temp_dir;

void remove_temp_dir() {
    if (!temp_dir.empty()) fs::remove_all(temp_dir);
}

std::vector<std::string> split(const std::string& command) {
    std::istringstream in(command);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::vector<std::string> monitor_command() {
    const char* c = std::getenv("IC9100_MONITOR");
    return split(c && *c ? c : IC9100_MONITOR_PATH);
}

[[noreturn]] void exec(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::perror(args[0]);
    _exit(127);
}

double since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// Reads what is there without waiting long.
void drain(int fd, std::string& into, int wait_ms) {
    pollfd p{fd, POLLIN, 0};
    while (fd >= 0 && poll(&p, 1, wait_ms) > 0) {
        char buf[4096];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        into.append(buf, static_cast<std::size_t>(n));
        wait_ms = 0;
    }
}

}  // namespace

const std::string& prefix() {
    static const std::string p = [] {
        const char* shared = std::getenv("IC9100_E2E_PREFIX");
        if (shared && *shared) return std::string(shared);
        char name[] = "/tmp/ic9100-e2e-XXXXXX";
        temp_dir = mkdtemp(name);
        std::atexit(remove_temp_dir);
        return temp_dir;
    }();
    return p;
}

bool under_wine() { return monitor_command()[0].find("wine") != std::string::npos; }

radio start_radio(const std::vector<std::string>& options, const std::string& scenario) {
    static int count = 0;
    const std::string file = prefix() + "/scenario-" + std::to_string(getpid()) + "-" + std::to_string(++count);
    std::ofstream(file, std::ios::binary) << scenario;

    int out[2];
    if (pipe(out) != 0) return {};
    radio r;
    r.pid = fork();
    if (r.pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);  // never the test's own streams
        close(out[0]);
        close(out[1]);
        std::vector<std::string> argv = {IC9100_RADIO_SIM_PATH, "--prefix", prefix(), "--verbose"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(file);
        exec(argv);
    }
    close(out[1]);
    r.log_fd = out[0];
    fcntl(r.log_fd, F_SETFL, fcntl(r.log_fd, F_GETFL) | O_NONBLOCK);
    if (wait_radio(r, "type ")) {
        const std::size_t at = r.log.find("radio-sim: an IC-9100 is on COM");
        if (at != std::string::npos) std::sscanf(r.log.c_str() + at, "radio-sim: an IC-9100 is on COM%d", &r.com);
    }
    return r;
}

bool wait_radio(radio& r, const std::string& needle, double seconds) {
    const auto start = clock_type::now();
    while (r.log.find(needle) == std::string::npos) {
        if (since(start) > seconds) return false;
        drain(r.log_fd, r.log, 20);
    }
    return true;
}

void stop_radio(radio& r) {
    if (r.pid > 0) {
        kill(r.pid, SIGTERM);
        waitpid(r.pid, nullptr, 0);
    }
    if (r.log_fd >= 0) close(r.log_fd);
    r.pid = r.log_fd = -1;
}

namespace {

monitor launch(output_to out, const std::string& stdin_file, const std::vector<std::string>& argv) {
    static int count = 0;
    monitor m;
    const std::string base = prefix() + "/run-" + std::to_string(getpid()) + "-" + std::to_string(++count);
    m.out_path = out == output_to::file ? base + ".out" : "";
    m.err_path = base + ".err";
    // An 80-column terminal with a UTF-8 locale, as an operator would have.
    winsize size{25, 80, 0, 0};
    int terminal = -1;
    if (openpty(&m.console, &terminal, nullptr, nullptr, &size) != 0) return m;
    tcgetattr(terminal, &m.terminal_before);
    m.pid = fork();
    if (m.pid == 0) {
        close(m.console);
        login_tty(terminal);
        if (!m.out_path.empty()) {
            const int fd = open(m.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, STDOUT_FILENO);
            close(fd);
        }
        const int err = open(m.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, STDERR_FILENO);
        close(err);
        if (!stdin_file.empty()) {
            const int in = open(stdin_file.c_str(), O_RDONLY);
            dup2(in, STDIN_FILENO);
            close(in);
        }
        setenv("WINEPREFIX", prefix().c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("LANG", "C.UTF-8", 1);
        unsetenv("LC_ALL");
        exec(argv);
    }
    // Held open, so that the terminal's settings outlive the monitor.
    m.terminal = terminal;
    fcntl(m.console, F_SETFL, fcntl(m.console, F_GETFL) | O_NONBLOCK);
    return m;
}

}  // namespace

monitor start_monitor(output_to out, const std::string& stdin_file, const std::vector<std::string>& args) {
    std::vector<std::string> command = monitor_command();
    command.insert(command.end(), args.begin(), args.end());
    return launch(out, stdin_file, command);
}

monitor start_monitor_in_shell(const std::string& script) {
    std::string command;
    for (const auto& word : monitor_command()) command += (command.empty() ? "" : " ") + word;
    setenv("MONITOR", command.c_str(), 1);
    return launch(output_to::file, "", {"/bin/bash", "-c", script});
}

pid_t monitor_under(const monitor& shell) {
    // The shell's children, and theirs, are listed by the kernel.
    std::vector<pid_t> parents = {shell.pid};
    for (std::size_t i = 0; i < parents.size(); ++i) {
        const std::string base = "/proc/" + std::to_string(parents[i]);
        std::ifstream children(base + "/task/" + std::to_string(parents[i]) + "/children");
        for (pid_t child; children >> child;) {
            std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
            std::string name;
            std::getline(comm, name);
            if (name.find("ic9100") != std::string::npos) return child;
            parents.push_back(child);
        }
    }
    return -1;
}

void type(monitor& m, const std::string& keys) {
    if (write(m.console, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) std::perror("type");
}

bool terminal_as_before(const monitor& m) {
    termios now{};
    if (tcgetattr(m.terminal, &now) != 0) return false;
    const termios& b = m.terminal_before;
    return now.c_iflag == b.c_iflag && now.c_oflag == b.c_oflag && now.c_cflag == b.c_cflag &&
           now.c_lflag == b.c_lflag && std::memcmp(now.c_cc, b.c_cc, sizeof b.c_cc) == 0;
}

bool wait_reading_console(monitor& m, double seconds) {
    if (!under_wine()) return true;  // the terminal's line mode keeps what was typed
    const auto start = clock_type::now();
    for (;;) {
        termios t{};
        if (tcgetattr(m.console, &t) == 0 && !(t.c_lflag & ICANON)) return true;
        if (since(start) > seconds) return false;
        drain(m.console, m.console_text, 5);
    }
}

bool answer_prompt(monitor& m, const std::string& text, int nth) {
    const auto start = clock_type::now();
    for (;;) {
        const std::string err = file_text(m.err_path);
        int prompts = 0;
        for (std::size_t at = 0; (at = err.find(texts::PROMPT, at)) != std::string::npos; at += texts::PROMPT.size())
            ++prompts;
        if (prompts >= nth) break;
        if (since(start) > 20) return false;
        drain(m.console, m.console_text, 10);
    }
    if (!wait_reading_console(m)) return false;
    type(m, text + "\r");
    return true;
}

bool end_with_esc(monitor& m, const std::string& last_key) {
    type(m, "\x1B");
    if (!wait_for(m, m.err_path, texts::FAREWELL)) return false;
    type(m, last_key);
    return wait_exit(m);
}

bool wait_for(monitor& m, const std::string& path, const std::string& needle, double seconds) {
    const auto start = clock_type::now();
    for (;;) {
        drain(m.console, m.console_text, 10);
        const std::string text = path.empty() ? m.console_text : file_text(path);
        if (text.find(needle) != std::string::npos) return true;
        if (since(start) > seconds) return false;
    }
}

bool wait_exit(monitor& m, double seconds) {
    const auto start = clock_type::now();
    while (m.status < 0) {
        drain(m.console, m.console_text, 10);
        int status;
        if (waitpid(m.pid, &status, WNOHANG) == m.pid) m.status = status;
        else if (since(start) > seconds) return false;
    }
    drain(m.console, m.console_text, 0);
    return true;
}

bool still_running_after(monitor& m, double seconds) { return !wait_exit(m, seconds); }

void kill_monitor(monitor& m) {
    if (m.pid > 0 && m.status < 0) {
        kill(m.pid, SIGKILL);
        waitpid(m.pid, nullptr, 0);
    }
    if (m.console >= 0) close(m.console);
    if (m.terminal >= 0) close(m.terminal);
    m.console = m.terminal = -1;
}

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

}  // namespace e2e

namespace e2e {

double cpu_seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    if (all.empty()) return 0;
    // utime and stime are fields 14 and 15; the name in field 2 may hold spaces.
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string f;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i)
        if (i >= 14) ticks += std::stoull(f);
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace e2e
