// The serial layer against a real pseudo-terminal pair: the monitor holds
// the slave side as its COM port, the test plays the radio on the master.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

const platform::line_settings LINE = {8, 19200, false, false};
const platform::line_timeouts TIMEOUTS = {10, 0, 10, 0, 0};

class PosixSerial : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        prefix = fs::temp_directory_path() / ("ic9100-serial-" + std::to_string(getpid()));
        fs::create_directories(prefix / "dosdevices");
        fs::create_symlink(ttyname(slave), prefix / "dosdevices" / "com7");
        setenv("WINEPREFIX", prefix.c_str(), 1);
    }
    void TearDown() override {
        if (port != platform::INVALID_PORT) platform::close_port(port);
        close(master);
        if (slave >= 0) close(slave);
        fs::remove_all(prefix);
    }
    void open_com7() {
        port = platform::open_port("\\\\.\\COM7");
        ASSERT_NE(port, platform::INVALID_PORT);
        ASSERT_TRUE(platform::set_line(port, LINE));
        platform::set_timeouts(port, TIMEOUTS);
    }
    std::vector<unsigned char> from_radio(int wanted) {
        std::vector<unsigned char> got;
        unsigned char b;
        for (int idle = 0; static_cast<int>(got.size()) < wanted && idle < 200;)
            if (platform::read_port(port, &b) == 1) got.push_back(b);
            else ++idle;
        return got;
    }
    int master = -1, slave = -1;
    fs::path prefix;
    platform::port_t port = platform::INVALID_PORT;
};

TEST_F(PosixSerial, SetsOnlyWhatItMustAndMakesTheLineRaw) {
    termios before{};
    tcgetattr(slave, &before);
    // A pseudo-terminal keeps no parity or character size of its own; stop
    // bits and the modem-line setting show what is kept.
    before.c_cflag |= CSTOPB | CRTSCTS;
    before.c_cflag &= ~CLOCAL;
    before.c_iflag |= INPCK | ICRNL | IXON;
    cfsetspeed(&before, B9600);
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    ASSERT_TRUE(before.c_cflag & CRTSCTS);
    ASSERT_TRUE(before.c_iflag & INPCK);

    open_com7();
    termios t{};
    ASSERT_EQ(tcgetattr(static_cast<int>(port), &t), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_FALSE(t.c_iflag & INPCK);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_iflag & (ICRNL | IXON));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_TRUE(t.c_cflag & CLOCAL) << "a CI-V cable has no carrier detect";
    // Kept as the driver had it.
    EXPECT_TRUE(t.c_cflag & CSTOPB);
}

TEST_F(PosixSerial, EveryByteValuePassesUnchangedBothWays) {
    open_com7();
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);

    ASSERT_EQ(write(master, all.data(), all.size()), 256);
    EXPECT_EQ(from_radio(256), all);

    platform::write_port(port, all.data(), 256);
    std::vector<unsigned char> got;
    unsigned char buf[512];
    pollfd p{master, POLLIN, 0};
    while (got.size() < 256 && poll(&p, 1, 2000) > 0) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;
        got.insert(got.end(), buf, buf + n);
    }
    EXPECT_EQ(got, all);
}

TEST_F(PosixSerial, ReadWaitsForTheTimeOutOnlyWhenNothingCame) {
    open_com7();
    unsigned char b = 0;
    auto start = clock_type::now();
    EXPECT_EQ(platform::read_port(port, &b), 0);
    EXPECT_GE(clock_type::now() - start, std::chrono::milliseconds(9));

    ASSERT_EQ(write(master, "\xFE", 1), 1);
    start = clock_type::now();
    // The byte was there before the call: a 10 ms wait means it was missed.
    EXPECT_EQ(platform::read_port(port, &b), 1);
    EXPECT_EQ(b, 0xFE);
}

TEST_F(PosixSerial, LineThatWentAwayKeepsThePace) {
    open_com7();
    close(slave);
    slave = -1;
    close(master);  // the radio's side is gone, as when a USB cable is pulled
    master = open("/dev/null", O_RDONLY);
    unsigned char b;
    EXPECT_FALSE(platform::line_gone(port));
    const auto start = clock_type::now();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(platform::read_port(port, &b), 0);
    EXPECT_GE(clock_type::now() - start, std::chrono::milliseconds(45));
    EXPECT_TRUE(platform::line_gone(port));
}

// A pseudo-terminal keeps its exclusive flag after the last close while the
// other side is open: closing must clear it, or only root could open it.
TEST_F(PosixSerial, PortIsNotSharedWhileOpen) {
    open_com7();
    EXPECT_EQ(platform::open_port("\\\\.\\COM7"), platform::INVALID_PORT);
    int exclusive = 0;
    ASSERT_EQ(ioctl(slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    platform::close_port(port);
    ASSERT_EQ(ioctl(slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    port = platform::open_port("\\\\.\\COM7");
    EXPECT_NE(port, platform::INVALID_PORT);
}

TEST_F(PosixSerial, DeviceThatIsNoSerialLineRefusesTheSettings) {
    fs::create_symlink("/dev/null", prefix / "dosdevices" / "com8");
    port = platform::open_port("\\\\.\\COM8");
    ASSERT_NE(port, platform::INVALID_PORT);
    EXPECT_FALSE(platform::set_line(port, LINE));
}

TEST_F(PosixSerial, MissingPortsDoNotOpen) {
    for (const char* path : {"\\\\.\\COM0", "\\\\.\\COM-1", "\\\\.\\COM9", "COM7", "/dev/null"})
        EXPECT_EQ(platform::open_port(path), platform::INVALID_PORT) << path;
}

}  // namespace
