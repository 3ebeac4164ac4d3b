// The heard log's POSIX side on a real file that stops taking bytes part way
// through a line, as on a full disk: once there is room again, the next
// line is a whole line behind its own stamp.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/log_stamp.h"
#include "platform/log_file.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

using e2e::is_stamp;
constexpr std::size_t STAMP_SIZE = e2e::LOG_STAMP_SIZE;

// A file-size limit (with SIGXFSZ ignored) gives what a full disk gives: a
// write cut short, then writes that fail, until there is room again.
TEST(PosixLogFile, ALineCutShortByAFullFileDoesNotRunIntoTheNext) {
    const fs::path log = fs::temp_directory_path() / ("ic9100-log-" + std::to_string(getpid()) + ".log");
    fs::remove(log);
    const std::string line = "Msg:CQ CQ from N1DEMO \r\n";  // 24 bytes, 44 with its stamp
    const std::string after = "Msg:room again        \r\n";
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 100;  // two lines and part of a third
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
        char reason[256];
        if (!platform::open_log(log.c_str(), reason, sizeof reason)) _exit(4);
        for (int i = 0; i < 4; ++i) platform::log_output(line.data(), static_cast<int>(line.size()));
        limit.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(5);
        platform::log_output(after.data(), static_cast<int>(after.size()));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::ifstream in(log, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    // The cut line may stay behind, on a line of its own; whatever comes
    // once there is room is a whole line again, not the cut one's end.
    std::istringstream lines(text);
    int whole = 0;
    bool saw_after = false;
    for (std::string l; std::getline(lines, l);) {
        if (l.size() < STAMP_SIZE || !is_stamp(l.substr(0, STAMP_SIZE))) continue;
        const std::string rest = l.substr(STAMP_SIZE) + "\n";
        if (rest == line) ++whole;
        if (rest == after) saw_after = true;
    }
    EXPECT_EQ(whole, 2) << text;
    EXPECT_TRUE(saw_after) << "the line written once there was room runs on from the cut one:\n" << text;
    fs::remove(log);
}

}  // namespace
