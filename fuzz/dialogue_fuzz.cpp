// Any answers at the port prompt, checking what must hold whatever is typed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fake_platform.h"
#include "require.h"
#include "monitor/messages.h"
#include "monitor/monitor.h"

namespace {

bool is_device_path(const std::string& p) {
    if (p.size() > 15 || p.rfind("\\\\.\\COM", 0) != 0) return false;
    std::size_t i = 7;
    if (i < p.size() && p[i] == '-') ++i;
    if (i == p.size()) return false;
    for (; i < p.size(); ++i)
        if (p[i] < '0' || p[i] > '9') return false;
    const long long n = std::atoll(p.c_str() + 7);
    return n >= -9999999 && n <= 99999999;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) return 0;
    fake::reset();
    // The first byte picks which attempt finds a port, if any.
    const std::size_t opens_at = data[0];
    fake::the.input.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    fake::the.port_opens = [opens_at](const std::string&) { return fake::the.opened.size() == opens_at + 1; };

    const monitor::port_result r = monitor::select_port();

    std::size_t lines = 0;
    for (char c : fake::the.input) lines += c == '\n';
    const std::size_t answers = lines + 1;  // a last line may lack its end
    const std::string prompt = monitor::PORT_PROMPT;
    const std::string& err = fake::the.err;
    require(err.rfind(monitor::BANNER, 0) == 0, "the banner comes first");
    const std::size_t prompts = (err.size() - (sizeof monitor::BANNER - 1)) / prompt.size();
    require(err.size() == sizeof monitor::BANNER - 1 + prompts * prompt.size(), "only prompts follow the banner");
    require(prompts >= 1 && prompts <= answers + 1, "one prompt per answer");
    for (const std::string& path : fake::the.opened) require(is_device_path(path), "device paths are well formed");
    require(fake::the.opened.size() <= answers, "at most one open per answer");
    const std::size_t errors = fake::the.out.size() / (sizeof monitor::OPEN_ERROR - 1);
    if (r == monitor::port_opened) {
        require(fake::the.opened.size() == opens_at + 1, "opened at the chosen attempt");
        require(errors == prompts - 1, "an open error before each prompt again");
    } else {
        require(r == monitor::input_ended, "without a port, only the end of the answers ends it");
        require(errors == prompts - 1, "an open error before each prompt again");
    }
    return 0;
}
