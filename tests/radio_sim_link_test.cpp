// radio-sim's COM link against a real Wine-prefix folder: it never removes
// or replaces a link it did not make.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct sim {
    pid_t pid = -1;
    FILE* out = nullptr;  // its standard output and error
    std::string text;     // what it printed up to its COM line, or all of it
    int status = -1;      // exit status once it has ended by itself
};

// Starts radio-sim and reads until it names its COM number or ends.
sim start(const std::string& prefix, const std::vector<std::string>& options) {
    int out[2];
    if (pipe(out) != 0) return {};
    sim s;
    s.pid = fork();
    if (s.pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<std::string> argv = {IC9100_RADIO_SIM_PATH, "--prefix", prefix};
        argv.insert(argv.end(), options.begin(), options.end());
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    s.out = fdopen(out[0], "r");
    char line[4096];
    while (s.text.find("type ") == std::string::npos && std::fgets(line, sizeof line, s.out)) s.text += line;
    if (s.text.find("type ") == std::string::npos) {
        int status;
        waitpid(s.pid, &status, 0);
        s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        s.pid = -1;
    }
    return s;
}

void stop(sim& s, int signal_number = SIGTERM) {
    if (s.pid > 0) {
        kill(s.pid, signal_number);
        waitpid(s.pid, nullptr, 0);
    }
    if (s.out) fclose(s.out);
    s.pid = -1;
    s.out = nullptr;
}

class RadioSimLink : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/radio-sim-link-XXXXXX";
        prefix = mkdtemp(name);
        dir = prefix + "/dosdevices";
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(prefix); }

    std::string com(int n) const { return dir + "/com" + std::to_string(n); }
    bool absent(int n) const { return !fs::exists(fs::symlink_status(com(n))); }
    // Every entry of the folder, dot files included.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string prefix, dir;
};

TEST_F(RadioSimLink, AnythingAlreadyAtTheWantedNumberIsRefusedAndKept) {
    // An operator's cable, a link to a device that is unplugged, a file.
    fs::create_symlink("/dev/ttyUSB0", com(3));
    fs::create_symlink("/dev/null", com(4));
    std::ofstream(com(5)) << "mine";
    const std::vector<std::string> before = entries();
    for (int n : {3, 4, 5}) {
        SCOPED_TRACE("COM" + std::to_string(n));
        sim s = start(prefix, {"--com", std::to_string(n)});
        EXPECT_EQ(s.status, 2);
        EXPECT_NE(s.text.find("radio-sim: COM" + std::to_string(n) + " is taken: " + com(n)), std::string::npos)
            << s.text;
        stop(s);
    }
    EXPECT_EQ(fs::read_symlink(com(3)), "/dev/ttyUSB0");
    EXPECT_EQ(fs::read_symlink(com(4)), "/dev/null");
    EXPECT_EQ(entries(), before);
}

TEST_F(RadioSimLink, WithoutComItTakesTheFirstFreeNumberAndRemovesOnlyItsOwn) {
    fs::create_symlink("/dev/ttyUSB0", com(1));
    fs::create_symlink("/dev/ttyS1", com(2));
    fs::create_symlink("/dev/ttyUSB1", com(4));
    sim s = start(prefix, {});
    EXPECT_NE(s.text.find("an IC-9100 is on COM3 ("), std::string::npos) << s.text;
    EXPECT_EQ(fs::read_symlink(com(3)).string().rfind("/dev/pts/", 0), 0u);
    stop(s);
    EXPECT_TRUE(absent(3));
    EXPECT_EQ(entries(), (std::vector<std::string>{"com1", "com2", "com4"}));
}

TEST_F(RadioSimLink, ALinkChangedWhileItRunsIsLeftAlone) {
    sim s = start(prefix, {"--com", "7"});
    ASSERT_GT(s.pid, 0) << s.text;
    fs::remove(com(7));
    fs::create_symlink("/dev/ttyUSB0", com(7));
    stop(s);
    EXPECT_EQ(fs::read_symlink(com(7)), "/dev/ttyUSB0");
    EXPECT_EQ(entries(), (std::vector<std::string>{"com7"}));
}

TEST_F(RadioSimLink, ALinkLeftByAKilledRadioSimIsReplacedByTheNext) {
    sim killed = start(prefix, {"--com", "9"});
    ASSERT_GT(killed.pid, 0) << killed.text;
    const fs::path left = fs::read_symlink(com(9));
    stop(killed, SIGKILL);
    ASSERT_EQ(fs::read_symlink(com(9)), left);

    sim next = start(prefix, {"--com", "9"});
    ASSERT_GT(next.pid, 0) << next.text;
    EXPECT_NE(next.text.find("replacing " + com(9) + " -> " + left.string() + ", left by a radio-sim that is gone"),
              std::string::npos)
        << next.text;
    EXPECT_NE(next.text.find("an IC-9100 is on COM9 ("), std::string::npos);
    stop(next);
    EXPECT_TRUE(entries().empty());
}

TEST_F(RadioSimLink, ALeftLinkThatWasRemadeSinceIsNotItsOwn) {
    sim killed = start(prefix, {"--com", "9"});
    ASSERT_GT(killed.pid, 0) << killed.text;
    const fs::path left = fs::read_symlink(com(9));
    stop(killed, SIGKILL);
    // The operator made COM9 again: to a cable, and to the same path.
    for (const fs::path& target : {fs::path("/dev/ttyUSB0"), left}) {
        SCOPED_TRACE("COM9 made again to " + target.string());
        fs::remove(com(9));
        fs::create_symlink(target, com(9));
        sim s = start(prefix, {"--com", "9"});
        EXPECT_EQ(s.status, 2);
        stop(s);
        EXPECT_EQ(fs::read_symlink(com(9)), target);
    }
    // Without --com it passes COM9 by.
    sim s = start(prefix, {});
    EXPECT_NE(s.text.find("an IC-9100 is on COM1 ("), std::string::npos) << s.text;
    stop(s);
    EXPECT_EQ(fs::read_symlink(com(9)), left);
}

TEST_F(RadioSimLink, ALinkOfARunningRadioSimIsNotTaken) {
    sim first = start(prefix, {"--com", "6"});
    ASSERT_GT(first.pid, 0) << first.text;
    const fs::path line = fs::read_symlink(com(6));
    sim second = start(prefix, {"--com", "6"});
    EXPECT_EQ(second.status, 2);
    stop(second);
    EXPECT_EQ(fs::read_symlink(com(6)), line);
    stop(first);
    EXPECT_TRUE(entries().empty());
}

}  // namespace
