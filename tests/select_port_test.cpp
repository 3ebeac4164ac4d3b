#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"

namespace {

using monitor::BANNER;
using monitor::OPEN_ERROR;
using monitor::PORT_PROMPT;

const std::string PROMPT = PORT_PROMPT;

std::string prompts(int n) {
    std::string s = BANNER;
    for (int i = 0; i < n; ++i) s += PROMPT;
    return s;
}

std::string com(const std::string& n) { return "\\\\.\\COM" + n; }

class SelectPort : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::reset();
        // Only positive port numbers exist.
        fake::the.port_opens = [](const std::string& path) { return path.find("COM-") == std::string::npos &&
                                                                     path != com("0"); };
    }
    monitor::port_result run(const std::string& input) {
        fake::the.input = input;
        return monitor::select_port();
    }
};

TEST_F(SelectPort, AnswersOpenTheNumberedPort) {
    const struct {
        const char* input;
        const char* port;
    } cases[] = {
        {"3\n", "3"}, {" 12\n", "12"}, {"7x\n", "7"}, {"+8\n", "8"}, {"\t 007\n", "7"},
        {"4", "4"},                       // last line without a line end
        {"6\r\n", "6"},                   // typed on Windows
        {"99999999\n", "99999999"},       // the longest path there is
        {"0000000000000000000000000000005 and more\n", "5"},  // long lines are read whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.input));
        SetUp();
        EXPECT_EQ(run(c.input), monitor::port_opened);
        EXPECT_EQ(fake::the.opened, std::vector<std::string>{com(c.port)});
        EXPECT_EQ(fake::the.err, prompts(1));
        EXPECT_EQ(fake::the.out, "");
    }
}

TEST_F(SelectPort, OpenPortIsSetTo19200Baud8BitsAnd10msReads) {
    ASSERT_EQ(run("3\n"), monitor::port_opened);
    ASSERT_TRUE(fake::the.settings);
    EXPECT_EQ(fake::the.settings->byte_size, 8);
    EXPECT_EQ(fake::the.settings->baud_rate, 19200);
    EXPECT_FALSE(fake::the.settings->parity_check);
    EXPECT_FALSE(fake::the.settings->cts_output_flow);
    ASSERT_TRUE(fake::the.timeouts);
    const auto& t = *fake::the.timeouts;
    EXPECT_EQ(std::vector<unsigned>({t.read_interval, t.read_total_multiplier, t.read_total_constant,
                                     t.write_total_multiplier, t.write_total_constant}),
              std::vector<unsigned>({10, 0, 10, 0, 0}));
    EXPECT_EQ(std::string(monitor::line_buf), com("3"));
}

TEST_F(SelectPort, EmptyAnswerOrEndOfInputEndsWithoutOpening) {
    for (const std::string input : {"", "\n", "\r\n", "\n5\n"}) {
        SCOPED_TRACE(::testing::PrintToString(input));
        SetUp();
        EXPECT_EQ(run(input), monitor::input_ended);
        EXPECT_TRUE(fake::the.opened.empty());
        EXPECT_EQ(fake::the.err, prompts(1));
        EXPECT_EQ(fake::the.out, "");
    }
}

TEST_F(SelectPort, FailedOpenAsksAgainAndKeepsThePortNumber) {
    const struct {
        const char* input;
        std::vector<std::string> tried;
    } cases[] = {
        {"abc\n\n", {com("0")}},                            // no number at first: port 0
        {"-3\nx\n\n", {com("-3"), com("-3")}},
        {"0\n   \n", {com("0"), com("0")}},                 // blanks are not empty
        {"-9999999\n", {com("-9999999")}},
        {"0\n+\n-\n\n", {com("0"), com("0"), com("0")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.input));
        SetUp();
        EXPECT_EQ(run(c.input), monitor::input_ended);
        EXPECT_EQ(fake::the.opened, c.tried);
        std::string errors;
        for (std::size_t i = 0; i < c.tried.size(); ++i) errors += OPEN_ERROR;
        EXPECT_EQ(fake::the.out, errors);
        EXPECT_EQ(fake::the.err, prompts(static_cast<int>(c.tried.size()) + 1));
    }
}

TEST_F(SelectPort, NumbersTooLongForThePathFailWithoutOpening) {
    fake::the.port_opens = [](const std::string&) { return fake::the.opened.size() >= 3; };
    const std::string huge(30, '9');
    // Port 5 stays the number on hand through the answers that do not fit.
    EXPECT_EQ(run("0\n5x\n100000000\n-10000000\n" + huge + "\n" + huge + "1\nx\n"), monitor::port_opened);
    EXPECT_EQ(fake::the.opened, (std::vector<std::string>{com("0"), com("5"), com("5")}));
    EXPECT_EQ(fake::the.out, std::string(OPEN_ERROR) + OPEN_ERROR + OPEN_ERROR + OPEN_ERROR + OPEN_ERROR + OPEN_ERROR);
    EXPECT_EQ(fake::the.err, prompts(7));
}

TEST_F(SelectPort, RestOfALongLineIsNeverTheNextAnswer) {
    // 15 characters fit the line buffer; the rest of the line must not be
    // read as the next answer (it would open port 12).
    EXPECT_EQ(run("0              12\n\n"), monitor::input_ended);
    EXPECT_EQ(fake::the.opened, std::vector<std::string>{com("0")});
}

TEST_F(SelectPort, InputEndingAfterAFailureEndsAfterTheNextPrompt) {
    EXPECT_EQ(run("0\n"), monitor::input_ended);
    EXPECT_EQ(fake::the.out, OPEN_ERROR);
    EXPECT_EQ(fake::the.err, prompts(2));
}

TEST_F(SelectPort, RefusedLineSettingsEndTheProgram) {
    fake::the.line_accepted = false;
    EXPECT_EQ(run("2\n"), monitor::line_refused);
    EXPECT_EQ(fake::the.out, monitor::DCB_ERROR);
    EXPECT_EQ(fake::the.err, prompts(1));
    EXPECT_FALSE(fake::the.timeouts);
    EXPECT_FALSE(fake::the.closed);  // the process ends; the system closes it
}

}  // namespace
