#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/arguments.h"

namespace {

using monitor::request;

struct row {
    std::vector<const char*> args;  // after the program's name
    request what;
    const char* log_path;
};

const row ROWS[] = {
    {{}, request::monitor, nullptr},
    {{"--log", "heard.log"}, request::monitor, "heard.log"},
    {{"-l", "C:\\log\\heard.log"}, request::monitor, "C:\\log\\heard.log"},
    {{"--log=heard.log"}, request::monitor, "heard.log"},
    {{"--log=--odd"}, request::monitor, "--odd"},
    {{"--help"}, request::help, nullptr},
    {{"-h"}, request::help, nullptr},
    {{"--log", "x", "--help"}, request::help, nullptr},
    {{"--version"}, request::version, nullptr},
    {{"--help", "--version"}, request::help, nullptr},
    // Wrong in any way: usage and status 2, whatever else was asked.
    {{"--log"}, request::bad, nullptr},
    {{"-l"}, request::bad, nullptr},
    {{"--log="}, request::bad, nullptr},
    {{"--log", ""}, request::bad, nullptr},
    {{"--log", "--help"}, request::bad, nullptr},
    {{"--log", "a", "--log", "b"}, request::bad, nullptr},
    {{"--log=a", "-l", "a"}, request::bad, nullptr},
    {{"heard.log"}, request::bad, nullptr},
    {{"--logfile", "x"}, request::bad, nullptr},
    {{"-lheard.log"}, request::bad, nullptr},
    {{"--bogus", "--help"}, request::bad, nullptr},
    {{"--version", "-x"}, request::bad, nullptr},
    {{"/?"}, request::bad, nullptr},
};

TEST(Arguments, Table) {
    for (const row& r : ROWS) {
        std::vector<const char*> argv = {"ic9100-monitor"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        std::string shown = "arguments";
        for (const char* a : r.args) shown += std::string(" [") + a + "]";
        SCOPED_TRACE(shown);
        const monitor::arguments got = monitor::read_arguments(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(got.what, r.what);
        EXPECT_STREQ(got.log_path, r.log_path);
    }
}

TEST(Arguments, VersionIsTheBannersOwn) {
    const std::string banner = monitor::BANNER;
    const std::string version = monitor::VERSION_LINE;
    const std::string number = version.substr(version.rfind(' ') + 1, version.size() - version.rfind(' ') - 2);
    EXPECT_EQ(banner, "IC-9100 command monitor version " + number + "\n\n");
    EXPECT_EQ(version, "ic9100-monitor " + number + "\n");
}

}  // namespace
