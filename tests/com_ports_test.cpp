#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/com_ports.h"

namespace {

namespace fs = std::filesystem;

std::string device(const char* path) {
    char out[4096];
    return platform::posix::com_device(path, out, sizeof out) ? out : "(none)";
}

TEST(ComPorts, WinePrefixLinksNameThePortsElseTheSerialDevices) {
    const fs::path prefix = fs::temp_directory_path() / ("ic9100-com-" + std::to_string(getpid()));
    fs::create_directories(prefix / "dosdevices");
    fs::create_symlink("/dev/ttyUSB0", prefix / "dosdevices" / "com3");  // need not exist
    setenv("WINEPREFIX", prefix.c_str(), 1);

    EXPECT_EQ(device("\\\\.\\COM3"), (prefix / "dosdevices" / "com3").string());
    EXPECT_EQ(device("\\\\.\\COM1"), "/dev/ttyS0");
    EXPECT_EQ(device("\\\\.\\COM12"), "/dev/ttyS11");
    EXPECT_EQ(device("\\\\.\\COM99999999"), "/dev/ttyS99999998");
    for (const char* never : {"\\\\.\\COM0", "\\\\.\\COM-3", "\\\\.\\COM", "\\\\.\\COM03", "\\\\.\\COM3x", "COM3",
                              "\\\\.\\com3", "/dev/ttyS0"})
        EXPECT_EQ(device(never), "(none)") << never;

    // Without WINEPREFIX, Wine's own default prefix.
    unsetenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    const std::string saved_home = home ? home : "";
    setenv("HOME", prefix.c_str(), 1);
    fs::create_directories(prefix / ".wine" / "dosdevices");
    fs::create_symlink("/dev/ttyACM0", prefix / ".wine" / "dosdevices" / "com4");
    EXPECT_EQ(device("\\\\.\\COM4"), (prefix / ".wine" / "dosdevices" / "com4").string());
    EXPECT_EQ(device("\\\\.\\COM3"), "/dev/ttyS2");
    setenv("HOME", saved_home.c_str(), 1);
    fs::remove_all(prefix);
}

}  // namespace
