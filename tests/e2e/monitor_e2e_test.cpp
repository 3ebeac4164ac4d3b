// The real monitor against the simulated radio, from the operator's seat.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>
#include <string>

#include "harness.h"

namespace {

using namespace e2e;

const std::string BANNER = "IC-9100 command monitor version 0.99\r\n\r\n";
const std::string PROMPT =
    "\x82\x62\x82\x6E\x82\x6C\x94\xD4\x8D\x86\x82\xF0\x93\xFC\x97\xCD\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2 :";
const std::string OPEN_ERROR = "\x83\x49\x81\x5B\x83\x76\x83\x93\x81\x45\x83\x47\x83\x89\x81\x5B\r\n";
const std::string DCB_ERROR = "\x82\x63\x82\x62\x82\x61\x82\xCC\x83\x47\x83\x89\x81\x5B\r\n";
const std::string READY = "IC-9100 recieving ready\r\n";
const std::string FAREWELL = "Hit anykey\r\n";

const std::string SETUP_CALLSIGN = "from the controller: FE FE 7C E0 20 00 00 01 FD";
const std::string SETUP_MESSAGE = "from the controller: FE FE 7C E0 20 01 00 01 FD";

const std::string ESC = "\x1B";
const std::string UP = "\x1B[A";

int exit_code(const monitor& m) { return WIFEXITED(m.status) ? WEXITSTATUS(m.status) : -1; }

class EndToEnd : public ::testing::Test {
  protected:
    void TearDown() override {
        kill_monitor(mon);
        kill_monitor(other);
        stop_radio(sim);
    }
    void start(const std::vector<std::string>& options, const std::string& scenario) {
        sim = start_radio(options, scenario);
        ASSERT_GT(sim.com, 0) << sim.log;
    }
    std::string com() const { return std::to_string(sim.com); }
    // Types the answer to the nth prompt once it is on the screen, as an
    // operator does: a console may drop what was typed before it was up.
    void answer(monitor& m, const std::string& text, int nth = 1) {
        ASSERT_TRUE(answer_prompt(m, text, nth)) << file_text(m.err_path);
    }
    // Esc, the farewell, one more key, and a clean end.
    void finish(monitor& m) {
        ASSERT_TRUE(end_with_esc(m)) << file_text(m.err_path);
        EXPECT_EQ(exit_code(m), 0);
    }
    radio sim;
    monitor mon, other;
};

TEST_F(EndToEnd, FullHandshakeThenReports) {
    start({}, "await 2\n"
              "callsign 01 \"N1DEMO\" \"9100\" \"CQCQCQ\" \"N0RPT  B\" \"N0RPT  G\"\n"
              "message \"CQ CQ from N1DEMO\"\n"
              "callsign 02 \"N2TEST\" \"\" \"N1DEMO\" \"N0RPT  B\" \"N0RPT  G\"\n"
              "callsign 03 \"N3HAM\" \"ID51\" \"CQCQCQ\" \"N0RPT  C\" \"N0RPT  G\"\n"
              "message \"\\xBA\\xDD\\xCA\\xDE\\xDD\\xDC 73\\x0D\\xE0\"\n");
    mon = start_monitor();
    answer(mon, com());
    const std::string expected = READY +
                                 "N1DEMO    /9100   CQCQCQ     N0RPT  B   N0RPT  G  RPT?\r\n"
                                 "Msg:CQ CQ from N1DEMO   \r\n"
                                 "N2TEST    /       N1DEMO     N0RPT  B   N0RPT  G  UR?\r\n"
                                 "N3HAM     /ID51   CQCQCQ     N0RPT  C   N0RPT  G\r\n"
                                 "Msg:\xBA\xDD\xCA\xDE\xDD\xDC 73..         \r\n";
    ASSERT_TRUE(wait_for(mon, mon.out_path, "Msg:\xBA")) << file_text(mon.out_path);
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path), expected);
    EXPECT_EQ(file_text(mon.err_path), BANNER + PROMPT + FAREWELL);
    // Each setup frame went once, the second after the first was answered.
    wait_radio(sim, SETUP_MESSAGE, 1);
    EXPECT_EQ(sim.log.find(SETUP_CALLSIGN), sim.log.rfind(SETUP_CALLSIGN));
    EXPECT_EQ(sim.log.find(SETUP_MESSAGE), sim.log.rfind(SETUP_MESSAGE));
    EXPECT_LT(sim.log.find(SETUP_CALLSIGN), sim.log.find(SETUP_MESSAGE));
}

TEST_F(EndToEnd, ReportsBeforeTheReadyLineCountAsAnswers) {
    start({"--silent"}, "message \"one\"\nmessage \"two\"\nmessage \"three\"\n");
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_for(mon, mon.out_path, "three"));
    finish(mon);
    const std::string pad17(17, ' '), pad16(16, ' ');
    EXPECT_EQ(file_text(mon.out_path),
              "Msg:one" + pad17 + "\r\nMsg:two" + pad17 + "\r\n" + READY + "Msg:three" + std::string(15, ' ') + "\r\n");
}

TEST_F(EndToEnd, NegativeAnswersStillLeadToReady) {
    start({"--negative"}, "await 2\nmessage \"after NG\"\n");
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_for(mon, mon.out_path, "after NG"));
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path), READY + "Msg:after NG            \r\n");
}

TEST_F(EndToEnd, SilentRadioNeverReadyAndEscStillEnds) {
    start({"--silent"}, "");
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_radio(sim, SETUP_CALLSIGN));
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path), "");
    EXPECT_EQ(file_text(mon.err_path), BANNER + PROMPT + FAREWELL);
    EXPECT_EQ(sim.log.find(SETUP_MESSAGE), std::string::npos);
}

TEST_F(EndToEnd, KeysOtherThanEscAreSwallowed) {
    start({}, "await 2\npause 1500\nmessage \"still here\"\n");
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_for(mon, mon.out_path, READY));
    // An arrow, F1, Alt+Esc and a letter: none of them ends the monitor.
    type(mon, UP);
    type(mon, "\x1BOP");
    type(mon, "\x1B\x1B");
    type(mon, "q");
    ASSERT_TRUE(wait_for(mon, mon.out_path, "still here"));
    EXPECT_EQ(file_text(mon.err_path), BANNER + PROMPT);
    // A letter right before Esc: the letter is read, then Esc ends it.
    type(mon, "a" + ESC);
    ASSERT_TRUE(wait_for(mon, mon.err_path, FAREWELL));
    // The last wait takes any key, and only a key.
    EXPECT_TRUE(still_running_after(mon, 0.5));
    type(mon, "z");
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_EQ(exit_code(mon), 0);
    EXPECT_EQ(file_text(mon.out_path), READY + "Msg:still here          \r\n");
}

TEST_F(EndToEnd, CtrlCInTheLastWaitIsAKey) {
    start({}, "");
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_for(mon, mon.out_path, READY));
    type(mon, ESC);
    ASSERT_TRUE(wait_for(mon, mon.err_path, FAREWELL));
    type(mon, "\x03");
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_EQ(exit_code(mon), 0);
}

TEST_F(EndToEnd, OpenErrorThenRetryKeepsThePortNumber) {
    // A COM number that names no line yet (nor a serial device of this
    // machine: COM n with no link is /dev/ttyS(n-1)).
    const std::string number = std::to_string(100 + getpid() % 100);
    mon = start_monitor();
    answer(mon, number);
    ASSERT_TRUE(wait_for(mon, mon.out_path, OPEN_ERROR));
    // The radio is plugged in; an answer without a number tries it again.
    start({"--com", number}, "");
    answer(mon, "x", 2);
    ASSERT_TRUE(wait_for(mon, mon.out_path, READY));
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path), OPEN_ERROR + READY);
    EXPECT_EQ(file_text(mon.err_path), BANNER + PROMPT + PROMPT + FAREWELL);
}

TEST_F(EndToEnd, PortHeldByAnotherProgramDoesNotOpen) {
    if (under_wine())
        GTEST_SKIP() << "Wine lets a second program open a COM port that another holds without sharing; "
                        "Windows refuses it";
    start({}, "");
    other = start_monitor();
    answer(other, com());
    ASSERT_TRUE(wait_for(other, other.out_path, READY));
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_for(mon, mon.out_path, OPEN_ERROR));
    ASSERT_TRUE(wait_for(mon, mon.err_path, BANNER + PROMPT + PROMPT));
    finish(other);
    answer(mon, "x", 2);
    ASSERT_TRUE(wait_for(mon, mon.out_path, READY));
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path), OPEN_ERROR + READY);
}

TEST_F(EndToEnd, EmptyAnswerEndsAtOnce) {
    mon = start_monitor();
    answer(mon, "");
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_EQ(exit_code(mon), 0);
    EXPECT_EQ(file_text(mon.out_path), "");
    EXPECT_EQ(file_text(mon.err_path), BANNER + PROMPT);
}

TEST_F(EndToEnd, EndOfInputTypedAtTheConsoleEnds) {
    // Ctrl-Z and Enter on Windows, Ctrl-D on a terminal.
    mon = start_monitor();
    std::string prompts = BANNER + PROMPT;
    ASSERT_TRUE(wait_for(mon, mon.err_path, prompts));
    ASSERT_TRUE(wait_reading_console(mon));
    type(mon, under_wine() ? "\x1A\r" : "\x04");
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_EQ(exit_code(mon), 0);
    EXPECT_EQ(file_text(mon.out_path), "");
    EXPECT_EQ(file_text(mon.err_path), prompts);
}

TEST_F(EndToEnd, EndOfRedirectedInputEndsTheDialogue) {
    const std::string input = prefix() + "/answers-" + std::to_string(getpid());
    for (const auto& [answers, out, prompts] : std::vector<std::tuple<std::string, std::string, int>>{
             {"", "", 1}, {"0\n", OPEN_ERROR, 2}, {"0\n0", OPEN_ERROR + OPEN_ERROR, 3}}) {
        { std::ofstream(input, std::ios::binary) << answers; }
        monitor m = start_monitor(output_to::file, input);
        ASSERT_TRUE(wait_exit(m));
        EXPECT_EQ(exit_code(m), 0);
        EXPECT_EQ(file_text(m.out_path), out);
        std::string err = BANNER;
        for (int i = 0; i < prompts; ++i) err += PROMPT;
        EXPECT_EQ(file_text(m.err_path), err);
        kill_monitor(m);
    }
    std::filesystem::remove(input);
}

TEST_F(EndToEnd, AnswersFromAFileKeysFromTheConsole) {
    start({}, "await 2\nmessage \"from a file\"\n");
    const std::string input = prefix() + "/answers-" + std::to_string(getpid());
    { std::ofstream(input, std::ios::binary) << com() << "\n"; }
    mon = start_monitor(output_to::file, input);
    ASSERT_TRUE(wait_for(mon, mon.out_path, "from a file"));
    if (under_wine()) {
        // Wine takes keys from the terminal only when standard input is
        // that terminal; Windows reads CONIN$ from the console regardless.
        std::filesystem::remove(input);
        GTEST_SKIP() << "Wine's console gets no keys while standard input is a file";
    }
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path), READY + "Msg:from a file         \r\n");
    std::filesystem::remove(input);
}

TEST_F(EndToEnd, EscapeSequencesFromTheAirAreRawInAFileAndHarmlessOnTheConsole) {
    const std::string scenario =
        "await 2\ncallsign 01 \"\\x1B[2J\\x1B]0\" \"\\x07\" \"\\x1B[31m\" \"N0RPT  B\" \"\\x9B" "1m\\x0D\"\n"
        "message \"\\x1B[2J\\x1B]0;pwned\\x07\"\n";
    start({}, scenario);
    mon = start_monitor();
    answer(mon, com());
    ASSERT_TRUE(wait_for(mon, mon.out_path, "Msg:"));
    finish(mon);
    EXPECT_EQ(file_text(mon.out_path),
              READY + "\x1B[2J\x1B]0   /\x07      \x1B[31m      N0RPT  B   \x9B" "1m\r    " "  RPT?\r\n" +
                  "Msg:.[2J.]0;pwned.      \r\n");
    stop_radio(sim);

    start({}, scenario);
    monitor shown = start_monitor(output_to::console);
    answer(shown, com());
    ASSERT_TRUE(wait_for(shown, "", "pwned"));
    finish(shown);
    const std::string screen = shown.console_text;
    EXPECT_NE(screen.find("Msg:.[2J.]0;pwned."), std::string::npos) << screen;
    if (under_wine()) {
        kill_monitor(shown);
        // The call-sign line goes to the console byte for byte, as the
        // system defines it. A Windows console shows ESC as a character;
        // Wine's passes it on to the terminal it runs in.
        GTEST_SKIP() << "Wine's console hands escape sequences on to its terminal";
    }
    EXPECT_NE(screen.find(".[2J.]0   /.      .[31m      N0RPT  B   .1m.      RPT?\r"), std::string::npos) << screen;
    // Our own output holds no escape character at all.
    EXPECT_EQ(screen.find('\x1B'), std::string::npos);
    EXPECT_EQ(screen.find('\x07'), std::string::npos);
    kill_monitor(shown);
}

TEST_F(EndToEnd, PortRefusingTheLineSettingsEndsWithTheDcbError) {
    // A device that opens but is no serial line.
    const std::string link = prefix() + "/dosdevices/com250";
    std::filesystem::create_directories(prefix() + "/dosdevices");
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/null", link);
    mon = start_monitor();
    answer(mon, "250");
    ASSERT_TRUE(wait_exit(mon));
    EXPECT_EQ(exit_code(mon), 1);
    EXPECT_EQ(file_text(mon.out_path), DCB_ERROR);
    EXPECT_EQ(file_text(mon.err_path), BANNER + PROMPT);
    std::filesystem::remove(link);
}

}  // namespace

namespace {

// radio-sim's own command line.
int run_radio_sim(const std::string& arguments, std::string* output) {
    const std::string command = std::string(IC9100_RADIO_SIM_PATH) + " " + arguments + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) output->append(buf, n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RadioSimCommandLine, BadOptionsGiveUsageAndStatus2) {
    for (const char* bad : {"--bogus", "--com", "--com 0", "--com x", "a.txt b.txt"}) {
        std::string out;
        EXPECT_EQ(run_radio_sim(bad, &out), 2) << bad;
        EXPECT_NE(out.find("usage: radio-sim"), std::string::npos) << bad << out;
    }
}

TEST(RadioSimCommandLine, MalformedScenarioIsRefusedBeforeTheLineExists) {
    const std::string dir = e2e::prefix();
    const std::string file = dir + "/bad-" + std::to_string(getpid()) + ".scenario";
    { std::ofstream(file) << "await 2\nmessage \"fine\"\nmessage \"no end\n"; }
    std::string out;
    EXPECT_EQ(run_radio_sim("--prefix " + dir + " --com 240 " + file, &out), 1);
    EXPECT_EQ(out, "radio-sim: " + file + ":3: string without its closing quote\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir + "/dosdevices/com240")));
    std::filesystem::remove(file);
}

}  // namespace

namespace {

using namespace e2e;

// Every line in the file is whole and has one of the layouts.
void expect_whole_lines(const std::string& text) {
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = text.substr(start, end - start);
        const bool ok = line == "IC-9100 recieving ready" || (line.rfind("Msg:", 0) == 0 && line.size() == 24) ||
                        line.size() == 48 || line.size() == 53 || line.size() == 54;
        EXPECT_TRUE(ok) << line;
    }
    EXPECT_EQ(start, text.size());
}

class Interrupted : public ::testing::TestWithParam<int> {};

// A signal while reports flow into a file: nothing complete is lost, and
// the terminal is as it was.
TEST_P(Interrupted, KeepsEveryLineAndRestoresTheTerminal) {
    if (under_wine()) GTEST_SKIP() << "POSIX signals and terminal settings: the Linux build's";
    const int signal_number = GetParam();
    radio sim = start_radio({"--loop"},
                            "await 2\nmessage \"flowing\"\ncallsign 02 \"N1DEMO\" \"\" \"CQCQCQ\" \"\" \"\"\npause 3\n");
    ASSERT_GT(sim.com, 0);
    monitor m = start_monitor();
    const cleanup ends{sim, m};
    ASSERT_TRUE(answer_prompt(m, std::to_string(sim.com)));
    ASSERT_TRUE(wait_for(m, m.out_path, "flowing"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (signal_number == 0) {
        type(m, "\x03");  // Ctrl-C at the terminal: SIGINT, from the terminal itself
    } else {
        kill(m.pid, signal_number);
    }
    ASSERT_TRUE(wait_exit(m));
    ASSERT_TRUE(WIFSIGNALED(m.status));
    EXPECT_EQ(WTERMSIG(m.status), signal_number ? signal_number : SIGINT);
    EXPECT_TRUE(terminal_as_before(m));
    expect_whole_lines(file_text(m.out_path));
    EXPECT_EQ(file_text(m.err_path).find("Hit anykey"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupted, ::testing::Values(0, SIGINT, SIGTERM, SIGHUP, SIGQUIT),
                         [](const auto& info) {
                             switch (info.param) {
                                 case 0: return std::string("CtrlC");
                                 case SIGINT: return std::string("SIGINT");
                                 case SIGTERM: return std::string("SIGTERM");
                                 case SIGHUP: return std::string("SIGHUP");
                                 default: return std::string("SIGQUIT");
                             }
                         });

TEST(EndsCleanly, TerminalIsRestoredAfterTheLastKey) {
    radio sim = start_radio({}, "");
    monitor m = start_monitor();
    const cleanup ends{sim, m};
    ASSERT_TRUE(answer_prompt(m, std::to_string(sim.com)));
    ASSERT_TRUE(wait_for(m, m.out_path, "ready"));
    ASSERT_TRUE(end_with_esc(m));
    if (!under_wine()) {
        EXPECT_TRUE(terminal_as_before(m));
    }
}

TEST(RadioSim, RemovesItsLinkWhenStopped) {
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        radio sim = start_radio({}, "");
        const std::string link = prefix() + "/dosdevices/com" + std::to_string(sim.com);
        ASSERT_TRUE(std::filesystem::is_symlink(link));
        kill(sim.pid, s);
        int status;
        waitpid(sim.pid, &status, 0);
        sim.pid = -1;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << s;
        stop_radio(sim);
    }
}

}  // namespace

namespace {

// Opens a published COM line as a controller would, raw.
int open_as_controller(const e2e::radio& sim) {
    const std::string link = e2e::prefix() + "/dosdevices/com" + std::to_string(sim.com);
    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

std::size_t read_for(int fd, std::size_t wanted, double seconds) {
    std::size_t got = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    pollfd p{fd, POLLIN, 0};
    while (got < wanted && std::chrono::steady_clock::now() < end && poll(&p, 1, 100) >= 0) {
        char buf[4096];
        if (!(p.revents & POLLIN)) continue;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    return got;
}

TEST(RadioSim, LineRateTakesASecondFor1920Bytes) {
    e2e::radio sim = e2e::start_radio({"--line-rate", "--no-echo"}, "hex 41*1920\n");
    const int fd = open_as_controller(sim);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(write(fd, "\xFD", 1), 1);  // the scenario starts once a controller speaks
    EXPECT_EQ(read_for(fd, 1920, 20), 1920u);
    // Never faster than the line: a lower bound only, so a slow machine passes.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    close(fd);
    e2e::stop_radio(sim);
}

TEST(RadioSim, EchoesAndAnswersFramesForTheRadio) {
    e2e::radio sim = e2e::start_radio({"--negative"}, "");
    const int fd = open_as_controller(sim);
    const std::string setup("\xFE\xFE\x7C\xE0\x20\x00\x00\x01\xFD", 9);
    ASSERT_EQ(write(fd, setup.data(), setup.size()), static_cast<ssize_t>(setup.size()));
    std::string got;
    pollfd p{fd, POLLIN, 0};
    while (got.size() < setup.size() + 6 && poll(&p, 1, 5000) > 0) {
        char buf[64];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, setup + "\xFE\xFE\xE0\x7C\xFA\xFD");
    close(fd);
    e2e::stop_radio(sim);
}

}  // namespace
