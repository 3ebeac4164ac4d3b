// The heard log and the command line, on the real monitor: the log's lines
// are standard output's lines behind the time each was written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "log_stamp.h"
#include "texts.h"

namespace {

using namespace e2e;

using e2e::monitor;
using texts::BANNER;
using texts::OPEN_ERROR;
using texts::PROMPT;
using texts::READY;

constexpr std::size_t STAMP_SIZE = LOG_STAMP_SIZE;

int exit_code(const monitor& m) { return WIFEXITED(m.status) ? WEXITSTATUS(m.status) : -1; }

// The local time as the log writes it, without the space behind.
std::string local_now() {
    const time_t now = time(nullptr);
    tm t{};
    localtime_r(&now, &t);
    char text[32];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

// The path as the monitor under test takes it: a Windows path under Wine.
std::string path_for_monitor(const std::string& path) {
    if (!under_wine()) return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

// Lines end after their LF, in standard output as in the log.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos) end = text.size() - 1;
        out.push_back(text.substr(start, end - start + 1));
    }
    return out;
}

// Each log line is a stamp between from and to, then the bytes standard
// output got; returns the lines behind their stamps.
std::vector<std::string> unstamped(const std::string& log, const std::string& from, const std::string& to) {
    std::vector<std::string> out;
    for (const std::string& line : lines(log)) {
        const std::string stamp = line.substr(0, STAMP_SIZE);
        EXPECT_TRUE(is_stamp(stamp)) << line;
        EXPECT_GE(stamp.substr(0, 19), from) << line;
        EXPECT_LE(stamp.substr(0, 19), to) << line;
        out.push_back(line.substr(std::min(STAMP_SIZE, line.size())));
    }
    return out;
}

class Log : public ::testing::Test {
  protected:
    void SetUp() override {
        log = prefix() + "/heard-" + std::to_string(getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::filesystem::remove(log);
    }
    void TearDown() override {
        kill_monitor(mon);
        stop_radio(sim);
        std::filesystem::remove(log);
    }
    void start(const std::vector<std::string>& options, const std::string& scenario) {
        sim = start_radio(options, scenario);
        ASSERT_GT(sim.com, 0) << sim.log;
    }
    // A monitor with args on its command line, answered with the radio's port.
    void start_logging(const std::vector<std::string>& args) {
        mon = start_monitor(output_to::file, "", args);
        ASSERT_TRUE(answer_prompt(mon, std::to_string(sim.com))) << file_text(mon.err_path);
    }
    void finish() {
        ASSERT_TRUE(end_with_esc(mon)) << file_text(mon.err_path);
        EXPECT_EQ(exit_code(mon), 0);
    }
    std::string log;
    radio sim;
    monitor mon;
};

TEST_F(Log, EveryLineOfStandardOutputBehindTheTimeItWasWritten) {
    // A LF among the radio's bytes makes two lines of one report.
    start({}, "await 2\n"
              "callsign 01 \"N1\\x0A" "DEMO\" \"9100\" \"CQCQCQ\" \"N0RPT  B\" \"N0RPT  G\"\n"
              "message \"\\xBA\\xDD\\xCA\\xDE\\xDD\\xDC 73\"\n");
    const std::string from = local_now();
    mon = start_monitor(output_to::file, "", {"-l", path_for_monitor(log)});
    // An answer out of range gives the error line before any port opens.
    ASSERT_TRUE(answer_prompt(mon, "999999999"));
    ASSERT_TRUE(answer_prompt(mon, std::to_string(sim.com), 2));
    ASSERT_TRUE(wait_for(mon, mon.out_path, "Msg:"));
    finish();
    const std::string to = local_now();

    const std::string out = file_text(mon.out_path);
    EXPECT_EQ(out, OPEN_ERROR + READY + "N1\r\n" +
                       "DEMO   /9100   CQCQCQ     N0RPT  B   N0RPT  G  RPT?\r\n"
                       "Msg:\xBA\xDD\xCA\xDE\xDD\xDC 73" + std::string(11, ' ') + "\r\n");
    EXPECT_EQ(unstamped(file_text(log), from, to), lines(out));
    // The console is as without a log; its banner shows the version --version does.
    EXPECT_EQ(file_text(mon.err_path).rfind(BANNER + PROMPT, 0), 0u);
}

TEST_F(Log, AppendsBelowWhatTheFileHeld) {
    start({}, "");
    { std::ofstream(log, std::ios::binary) << "an earlier night\r\n"; }
    const std::string from = local_now();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--log", path_for_monitor(log)},
                                                 std::vector<std::string>{"--log=" + path_for_monitor(log)}}) {
        SCOPED_TRACE("arguments " + ::testing::PrintToString(args));
        start_logging(args);
        ASSERT_TRUE(wait_for(mon, mon.out_path, READY));
        finish();
        kill_monitor(mon);
    }
    const std::string all = file_text(log);
    ASSERT_EQ(all.rfind("an earlier night\r\n", 0), 0u) << all;
    EXPECT_EQ(unstamped(all.substr(18), from, local_now()), (std::vector<std::string>{READY, READY}));
}

// Every line standard output got is in the log: the log is written first.
TEST_F(Log, NothingShownIsLostAtSigterm) {
    start({"--loop"}, "await 2\nmessage \"flowing\"\ncallsign 02 \"N1DEMO\" \"\" \"CQCQCQ\" \"\" \"\"\npause 3\n");
    const std::string from = local_now();
    start_logging({"--log", path_for_monitor(log)});
    ASSERT_TRUE(wait_for(mon, mon.out_path, "flowing"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(mon.pid, SIGTERM);
    ASSERT_TRUE(wait_exit(mon));
    const std::vector<std::string> shown = lines(file_text(mon.out_path));
    const std::vector<std::string> logged = unstamped(file_text(log), from, local_now());
    ASSERT_GE(shown.size(), 3u);
    ASSERT_GE(logged.size(), shown.size());
    EXPECT_LE(logged.size(), shown.size() + 1);  // one more, when the signal came between the two
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), logged.begin()));
}

TEST_F(Log, ALogThatCannotBeOpenedEndsBeforeAnythingIsAsked) {
    const std::string missing = prefix() + "/no-such-folder/heard.log";
    const struct {
        std::string path;
        int error;
    } cases[] = {{missing, ENOENT}, {prefix(), EISDIR}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string arg = path_for_monitor(c.path);
        mon = start_monitor(output_to::file, "", {"--log", arg});
        ASSERT_TRUE(wait_exit(mon));
        EXPECT_EQ(exit_code(mon), 2);
        EXPECT_EQ(file_text(mon.out_path), "");
        const std::string err = file_text(mon.err_path);
        const std::string head = "ic9100-monitor: cannot open log file \"" + arg + "\": ";
        if (under_wine()) {
            // The system's own words, in one line.
            ASSERT_EQ(err.rfind(head, 0), 0u) << err;
            EXPECT_GT(err.size(), head.size() + 2) << err;
            EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
            EXPECT_EQ(err.substr(err.size() - 2), "\r\n");
        } else {
            EXPECT_EQ(err, head + std::strerror(c.error) + "\r\n");
        }
        kill_monitor(mon);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// A FIFO nobody reads would hold the monitor before its banner for good,
// and a terminal would take the radio's raw bytes as escape sequences.
TEST_F(Log, AFifoWithoutReaderOrATerminalIsNoLog) {
    if (under_wine()) GTEST_SKIP() << "FIFOs and terminals as files: the Linux build's";
    const std::string fifo = prefix() + "/heard-" + std::to_string(getpid()) + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path, reason;
    } cases[] = {{fifo, std::strerror(ENXIO)}, {"/dev/tty", "it is a terminal, not a file"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        mon = start_monitor(output_to::file, "", {"--log", c.path});
        ASSERT_TRUE(wait_exit(mon));
        EXPECT_EQ(exit_code(mon), 2);
        EXPECT_TRUE(terminal_as_before(mon));
        EXPECT_EQ(file_text(mon.err_path), "ic9100-monitor: cannot open log file \"" + c.path + "\": " + c.reason + "\r\n");
        kill_monitor(mon);
    }
    std::filesystem::remove(fifo);
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
    const struct {
        std::vector<std::string> args;
        std::string needle;
    } cases[] = {{{"--help"}, "--log FILE"}, {{"-h"}, "--version"}, {{"--version"}, "ic9100-monitor 0.99\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        monitor m = start_monitor(output_to::file, "", c.args);
        ASSERT_TRUE(wait_exit(m));
        EXPECT_EQ(exit_code(m), 0);
        EXPECT_NE(file_text(m.out_path).find(c.needle), std::string::npos) << file_text(m.out_path);
        EXPECT_EQ(file_text(m.err_path), "");
        kill_monitor(m);
    }
}

TEST(CommandLine, AnythingElseGivesTheUsageOnStandardErrorAndStatus2) {
    monitor help = start_monitor(output_to::file, "", {"--help"});
    ASSERT_TRUE(wait_exit(help));
    const std::string usage = file_text(help.out_path);
    kill_monitor(help);
    ASSERT_EQ(usage.rfind("usage: ic9100-monitor", 0), 0u) << usage;

    const std::string unmade = prefix() + "/unmade-" + std::to_string(getpid()) + ".log";
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"}, {"--log"}, {"-l"}, {"extra"}, {"--log", unmade, "--log", unmade}, {"--log", unmade, "-x"}};
    for (const auto& args : cases) {
        SCOPED_TRACE("arguments " + ::testing::PrintToString(args));
        monitor m = start_monitor(output_to::file, "", args);
        ASSERT_TRUE(wait_exit(m));
        EXPECT_EQ(exit_code(m), 2);
        EXPECT_EQ(file_text(m.err_path), usage);
        EXPECT_EQ(file_text(m.out_path), "");
        kill_monitor(m);
    }
    EXPECT_FALSE(std::filesystem::exists(unmade));
}

}  // namespace
