// Runs the real monitor the way an operator does: its console is a
// pseudo-terminal that the test types into, its serial line is radio-sim's.
// The program to run comes from IC9100_MONITOR (for instance
// "wine build-win/ic9100-monitor.exe"), else the native build.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

namespace e2e {

// The Wine prefix whose dosdevices/comN links name the COM ports: shared by
// the whole run (IC9100_E2E_PREFIX), else a private folder per process.
const std::string& prefix();
// True when the monitor under test runs under Wine.
bool under_wine();

struct radio {
    pid_t pid = -1;
    int com = 0;
    int log_fd = -1;   // its standard output: the COM line, then --verbose frames
    std::string log;
};

// Starts radio-sim with the options and scenario text; returns once its COM
// port is published.
radio start_radio(const std::vector<std::string>& options, const std::string& scenario);
// Waits until the radio has printed needle; false on time-out.
bool wait_radio(radio& r, const std::string& needle, double seconds = 20);
void stop_radio(radio& r);

enum class output_to { file, console };

struct monitor {
    pid_t pid = -1;
    int console = -1;          // the terminal's side we type into and read
    int terminal = -1;         // the monitor's side, kept open here too
    termios terminal_before{}; // its settings before the monitor started
    std::string console_text;  // everything the terminal showed
    std::string out_path, err_path;
    int status = -1;           // wait status once it has ended
};

// stdin_file empty: standard input is the console, as when typed. args go
// on the monitor's command line.
monitor start_monitor(output_to out = output_to::file, const std::string& stdin_file = "",
                      const std::vector<std::string>& args = {});
// The monitor started by a shell, as bash -c script, with its command in
// $MONITOR: for pipelines, closed streams and job control. pid is the shell's.
monitor start_monitor_in_shell(const std::string& script);
// The monitor's own process under a shell started as above; -1 if none.
pid_t monitor_under(const monitor& shell);
void type(monitor& m, const std::string& keys);
// Waits until the monitor reads its console: under Wine that is when the
// terminal leaves line mode. Wine throws away what was typed before.
bool wait_reading_console(monitor& m, double seconds = 20);
// Types the answer to the nth prompt once that prompt is on the screen and
// the console reads, as an operator does.
bool answer_prompt(monitor& m, const std::string& text, int nth = 1);
// Esc, the farewell, one more key: true once the monitor has ended.
bool end_with_esc(monitor& m, const std::string& last_key = "k");
// Waits until a file (or the console, path empty) holds needle.
bool wait_for(monitor& m, const std::string& path, const std::string& needle, double seconds = 20);
bool wait_exit(monitor& m, double seconds = 20);
// True while the monitor keeps running for the given time.
bool still_running_after(monitor& m, double seconds);
void kill_monitor(monitor& m);
// The terminal's settings are what they were before the monitor ran.
bool terminal_as_before(const monitor& m);
std::string file_text(const std::string& path);
// Ends whatever a test started, however the test ends.
struct cleanup {
    radio& sim;
    monitor& mon;
    ~cleanup() {
        kill_monitor(mon);
        stop_radio(sim);
    }
};

// User and system CPU time of a process so far, in seconds.
double cpu_seconds(pid_t pid);

}  // namespace e2e
