// The real radio-sim, through the harness the end-to-end tests start it
// with: its command line, its COM link, and its serial line as a
// controller sees it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "harness.h"

namespace {

using namespace e2e;

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
        SCOPED_TRACE(bad);
        std::string out;
        EXPECT_EQ(run_radio_sim(bad, &out), 2);
        EXPECT_NE(out.find("usage: radio-sim"), std::string::npos) << out;
    }
}

TEST(RadioSimCommandLine, MalformedScenarioIsRefusedBeforeTheLineExists) {
    const std::string dir = prefix();
    const std::string file = dir + "/bad-" + std::to_string(getpid()) + ".scenario";
    { std::ofstream(file) << "await 2\nmessage \"fine\"\nmessage \"no end\n"; }
    std::string out;
    EXPECT_EQ(run_radio_sim("--prefix " + dir + " --com 240 " + file, &out), 1);
    EXPECT_EQ(out, "radio-sim: " + file + ":3: string without its closing quote\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir + "/dosdevices/com240")));
    std::filesystem::remove(file);
}

TEST(RadioSim, RemovesItsLinkWhenStopped) {
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(s));
        radio sim = start_radio({}, "");
        const std::string link = prefix() + "/dosdevices/com" + std::to_string(sim.com);
        ASSERT_TRUE(std::filesystem::is_symlink(link));
        kill(sim.pid, s);
        int status;
        waitpid(sim.pid, &status, 0);
        sim.pid = -1;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
        stop_radio(sim);
    }
}

// Opens a published COM line as a controller would, raw.
int open_as_controller(const radio& sim) {
    const std::string link = prefix() + "/dosdevices/com" + std::to_string(sim.com);
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
    radio sim = start_radio({"--line-rate", "--no-echo"}, "hex 41*1920\n");
    const int fd = open_as_controller(sim);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(write(fd, "\xFD", 1), 1);  // the scenario starts once a controller speaks
    EXPECT_EQ(read_for(fd, 1920, 20), 1920u);
    // Never faster than the line: a lower bound only, so a slow machine passes.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    close(fd);
    stop_radio(sim);
}

TEST(RadioSim, EchoesAndAnswersFramesForTheRadio) {
    radio sim = start_radio({"--negative"}, "");
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
    stop_radio(sim);
}

}  // namespace
