// What a real station does to the monitor: readers that go away, stray
// signals, Ctrl-Z with and without a shell, closed streams, a port that is
// the console, a cable pulled and plugged back. The terminal always ends as
// it was found, and the port is free for the next program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>

#include "harness.h"
#include "log_stamp.h"
#include "texts.h"

namespace {

using namespace e2e;
using e2e::monitor;
namespace fs = std::filesystem;

using texts::LINE_LOST;
using texts::OPEN_ERROR;
using texts::READY;

std::string link_of(int com) { return prefix() + "/dosdevices/com" + std::to_string(com); }

// A pseudo-terminal keeps TIOCEXCL after its last close while its other side
// is open: then nobody but root could open the line after us.
bool port_left_exclusive(int com) {
    const int fd = open(link_of(com).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return true;
    int exclusive = 1;
    ioctl(fd, TIOCGEXCL, &exclusive);
    close(fd);
    return exclusive != 0;
}

char state_of(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t at = all.rfind(')');
    return at == std::string::npos || at + 2 >= all.size() ? '?' : all[at + 2];
}

bool key_by_key(const monitor& m) {
    termios t{};
    return tcgetattr(m.terminal, &t) == 0 && !(t.c_lflag & (ICANON | ECHO));
}

bool wait_until(const std::function<bool()>& done, double seconds = 10) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (done()) return true;
        usleep(10000);
    }
    return done();
}

class Station : public ::testing::Test {
  protected:
    void SetUp() override {
        if (under_wine()) GTEST_SKIP() << "POSIX signals, sessions and descriptors: the Linux build's";
    }
    void TearDown() override {
        kill_monitor(mon);
        stop_radio(sim);
    }
    void start_radio_with(const std::string& scenario, const std::vector<std::string>& options = {}) {
        sim = start_radio(options, scenario);
        ASSERT_GT(sim.com, 0) << sim.log;
    }
    // The monitor answered and monitoring, its terminal key by key.
    void start_watching(const std::vector<std::string>& args = {}) {
        mon = start_monitor(output_to::file, "", args);
        ASSERT_TRUE(answer_prompt(mon, std::to_string(sim.com)));
        ASSERT_TRUE(wait_for(mon, mon.out_path, READY)) << file_text(mon.out_path);
        ASSERT_TRUE(wait_until([&] { return key_by_key(mon); }));
    }
    // The monitor as a job of a bash with job control, stopped by Ctrl-Z
    // while monitoring; then the shell runs after_stop, reading its lines
    // from the terminal. Returns the monitor's own process.
    pid_t stopped_under_shell(const std::string& after_stop) {
        // bash takes job control on the terminal behind its standard error.
        mon = start_monitor_in_shell("exec 3>&2 2>/dev/tty; set -m; $MONITOR 2>&3; echo shell-has-the-terminal >&3;" +
                                     after_stop);
        EXPECT_TRUE(answer_prompt(mon, std::to_string(sim.com)));
        EXPECT_TRUE(wait_for(mon, mon.out_path, READY)) << file_text(mon.out_path) << file_text(mon.err_path);
        const pid_t monitor_pid = monitor_under(mon);
        EXPECT_TRUE(wait_until([&] { return key_by_key(mon); }));
        type(mon, "\x1A");
        EXPECT_TRUE(wait_for(mon, mon.err_path, "shell-has-the-terminal"));
        EXPECT_TRUE(wait_until([&] { return state_of(monitor_pid) == 'T'; }));
        return monitor_pid;
    }
    radio sim;
    monitor mon;
};

// Every signal whose default ends the process puts the terminal back, lets
// go of the port and ends the process as that signal, in the loop and in
// the last wait, where Ctrl-C is a key and so the terminal's ISIG is off.
TEST_F(Station, EndingSignalsRestoreTheTerminalAndFreeThePort) {
    const int signals[] = {SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGXFSZ, SIGXCPU,
                           SIGVTALRM, SIGPROF, SIGTERM, SIGHUP, SIGRTMIN + 1};
    start_radio_with("");
    for (const bool in_last_wait : {false, true}) {
        for (const int s : signals) {
            SCOPED_TRACE(std::string(strsignal(s)) + (in_last_wait ? ", in the last wait" : ", in the loop"));
            start_watching();
            if (in_last_wait) {
                type(mon, "\x1B");
                ASSERT_TRUE(wait_for(mon, mon.err_path, texts::FAREWELL));
                ASSERT_TRUE(wait_until([&] {
                    termios t{};
                    return tcgetattr(mon.terminal, &t) == 0 && !(t.c_lflag & ISIG);
                }));
            }
            kill(mon.pid, s);
            ASSERT_TRUE(wait_exit(mon));
            EXPECT_TRUE(WIFSIGNALED(mon.status) && WTERMSIG(mon.status) == s) << mon.status;
            EXPECT_TRUE(terminal_as_before(mon));
            EXPECT_FALSE(port_left_exclusive(sim.com));
            kill_monitor(mon);
            mon = monitor{};
        }
    }
}

TEST_F(Station, EscFreesThePortForTheNextProgram) {
    start_radio_with("");
    start_watching();
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_TRUE(WIFEXITED(mon.status) && WEXITSTATUS(mon.status) == 0);
    EXPECT_FALSE(port_left_exclusive(sim.com));
}

// `ic9100-monitor | head -c 10`: once the reader is gone the monitor ends as
// any member of a pipeline does, and the terminal is as it was.
TEST_F(Station, ReaderThatGoesAwayEndsItWithTheTerminalRestored) {
    start_radio_with("await 2\nmessage \"heard\"\npause 50\n", {"--loop"});
    mon = start_monitor_in_shell("set -o pipefail; $MONITOR | head -c 10 >/dev/null");
    ASSERT_TRUE(answer_prompt(mon, std::to_string(sim.com)));
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_TRUE(WIFEXITED(mon.status) && WEXITSTATUS(mon.status) == 128 + SIGPIPE) << mon.status;
    EXPECT_TRUE(terminal_as_before(mon));
}

// Under a job-control shell Ctrl-Z stops the monitor with the terminal handed
// back, and fg takes key-by-key mode up again.
TEST_F(Station, CtrlZUnderAShellStopsAndFgGoesOn) {
    start_radio_with("");
    ASSERT_GT(stopped_under_shell("read -r _; fg"), 0);
    ASSERT_FALSE(HasFailure());
    EXPECT_TRUE(terminal_as_before(mon));
    type(mon, "\n");
    ASSERT_TRUE(wait_until([&] { return key_by_key(mon); })) << "fg takes key-by-key mode up again";
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_TRUE(WIFEXITED(mon.status) && WEXITSTATUS(mon.status) == 0);
    EXPECT_TRUE(terminal_as_before(mon));
}

// Stopped with Ctrl-Z and then ended from the shell: `kill %1` sends SIGTERM
// and SIGCONT to a job that is now in the background. The monitor must end
// as SIGTERM ends it, with the shell's terminal left alone and the port
// free, not stop again on the terminal it no longer owns (SIGTTOU) halfway
// through letting go, where no signal but SIGKILL could end it.
TEST_F(Station, StoppedMonitorEndsWhenTheShellKillsIt) {
    start_radio_with("");
    const pid_t monitor_pid = stopped_under_shell("read -r _; kill %1; read -r _");
    ASSERT_GT(monitor_pid, 0);
    ASSERT_FALSE(HasFailure());
    type(mon, "\n");  // the shell: kill %1
    const bool ended = wait_until([&] {
        const char state = state_of(monitor_pid);
        return state == 'Z' || state == '?';
    });
    EXPECT_TRUE(ended) << "still there, state " << state_of(monitor_pid);
    EXPECT_TRUE(terminal_as_before(mon));
    EXPECT_FALSE(port_left_exclusive(sim.com));
    if (!ended) kill(monitor_pid, SIGKILL);
}

// Started as a session leader (ssh -t host ic9100-monitor, xterm -e), the
// monitor has nobody to continue it: the kernel discards the stop and the
// monitor keeps monitoring.
TEST_F(Station, CtrlZWithNothingToContinueItKeepsMonitoring) {
    start_radio_with("await 2\nmessage \"before ctrl-z\"\npause 1500\nmessage \"after ctrl-z\"\n");
    start_watching();
    ASSERT_TRUE(wait_for(mon, mon.out_path, "before ctrl-z"));
    type(mon, "\x1A");
    ASSERT_TRUE(wait_for(mon, mon.out_path, "after ctrl-z"));
    EXPECT_NE(state_of(mon.pid), 'T');
    EXPECT_TRUE(key_by_key(mon));
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_TRUE(WIFEXITED(mon.status) && WEXITSTATUS(mon.status) == 0);
    EXPECT_TRUE(terminal_as_before(mon));
}

// With standard output closed the port would take its descriptor and every
// line would go to the radio: a call-sign field holding a command frame
// would then be sent as that command. Only the setup frames may go out.
TEST_F(Station, ClosedStandardStreamsNeverReachTheLine) {
    start_radio_with("await 2\n"
                     "callsign 01 \"\\xFE\\xFE\\x7C\\xE1\\x1C\\x00\\x01\\xFD\" \"\" \"CQCQCQ\" \"\" \"\"\n"
                     "message \"\\xFE\\xFE\\x7C\\xE1\\x1C\\x00\\x01\\xFD\"\n");
    mon = start_monitor_in_shell("$MONITOR >&- 2>&-");
    type(mon, std::to_string(sim.com) + "\r");  // the terminal's line mode keeps it
    ASSERT_TRUE(wait_radio(sim, "from the controller: FE FE 7C E0 20 01 00 01 FD"));
    ASSERT_TRUE(wait_until([&] { return key_by_key(mon); }));
    usleep(500000);  // the reports arrive and are shown, on nothing
    type(mon, "\x1B");
    usleep(200000);  // Esc alone, not the start of a key sequence with "k"
    ASSERT_TRUE(wait_until([&] {  // the last wait: Ctrl-C is a key
        termios t{};
        return tcgetattr(mon.terminal, &t) == 0 && !(t.c_lflag & ISIG);
    }));
    type(mon, "k");
    ASSERT_TRUE(wait_exit(mon)) << sim.log;
    EXPECT_TRUE(WIFEXITED(mon.status) && WEXITSTATUS(mon.status) == 0);
    wait_radio(sim, "never printed", 0.3);  // whatever else it has printed
    std::size_t frames = 0;
    for (std::size_t at = 0; (at = sim.log.find("from the controller:", at)) != std::string::npos; ++at) ++frames;
    EXPECT_EQ(frames, 2u) << sim.log;
    EXPECT_EQ(sim.log.find("E1 1C"), std::string::npos) << sim.log;
}

// A COM link that leads to the operator's own terminal is no serial line:
// "open error" and the prompt again, the terminal untouched.
TEST_F(Station, PortThatIsTheConsoleDoesNotOpen) {
    start_radio_with("");
    mon = start_monitor();
    char own_terminal[64] = "";
    ASSERT_EQ(ttyname_r(mon.terminal, own_terminal, sizeof own_terminal), 0);
    const int tty_com = sim.com + 100, pts_com = sim.com + 101;
    fs::create_symlink("/dev/tty", link_of(tty_com));
    fs::create_symlink(own_terminal, link_of(pts_com));
    ASSERT_TRUE(answer_prompt(mon, std::to_string(tty_com)));
    ASSERT_TRUE(answer_prompt(mon, std::to_string(pts_com), 2));
    ASSERT_TRUE(answer_prompt(mon, std::to_string(sim.com), 3));
    ASSERT_TRUE(wait_for(mon, mon.out_path, READY));
    EXPECT_EQ(file_text(mon.out_path), OPEN_ERROR + OPEN_ERROR + READY);
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_TRUE(terminal_as_before(mon));
    fs::remove(link_of(tty_com));
    fs::remove(link_of(pts_com));
}

// A cable pulled and plugged back: said once, the same COM port opened again
// by itself, the setup sent again and the ready line shown again; the heard
// log has the notice as well.
TEST_F(Station, CableThatComesBackIsMonitoredAgain) {
    const std::string log = prefix() + "/cable-" + std::to_string(getpid()) + ".log";
    start_radio_with("await 2\npause 100\nmessage \"before the cable\"\n");
    start_watching({"--log", log});
    ASSERT_TRUE(wait_for(mon, mon.out_path, "before the cable"));
    const int com = sim.com;
    stop_radio(sim);  // its line hangs up and its link goes
    ASSERT_TRUE(wait_for(mon, mon.out_path, LINE_LOST));
    EXPECT_TRUE(still_running_after(mon, 2.5));  // tries again, quietly
    start_radio_with("await 2\npause 100\nmessage \"after the cable\"\n", {"--com", std::to_string(com)});
    ASSERT_TRUE(wait_for(mon, mon.out_path, "after the cable")) << file_text(mon.out_path) << sim.log;
    EXPECT_EQ(file_text(mon.out_path), READY + "Msg:before the cable    \r\n" + LINE_LOST + READY +
                                           "Msg:after the cable     \r\n");
    ASSERT_TRUE(end_with_esc(mon));
    EXPECT_TRUE(WIFEXITED(mon.status) && WEXITSTATUS(mon.status) == 0);
    EXPECT_EQ(without_stamps(file_text(log)), file_text(mon.out_path));
    fs::remove(log);
}

}  // namespace
