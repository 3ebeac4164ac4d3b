// The command line: without arguments the monitor runs as it always has;
// --log adds the heard log, --help and --version answer and end.
#pragma once

#include "monitor/messages.h"

namespace monitor {

enum class request { monitor, help, version, bad };

struct arguments {
    request what;
    const char* log_path;  // nullptr: no log
};

// Any argument it does not know makes the whole line bad, so that a typo
// never starts a monitor that logs nothing, or somewhere unmeant.
arguments read_arguments(int argc, const char* const* argv);

// The command line's own texts are ASCII English, whatever the console's.
inline constexpr char USAGE[] =
    "usage: ic9100-monitor [--log FILE]\n"
    "       ic9100-monitor --help | --version\n"
    "\n"
    "Shows the D-STAR reports an ICOM IC-9100 sends over its CI-V line: asks\n"
    "for the COM port number, then prints the call signs and the message of\n"
    "every transmission the radio hears.\n"
    "\n"
    "  -l, --log FILE  also append each line shown to FILE, behind the local\n"
    "                  date and time it was shown (YYYY-MM-DD HH:MM:SS)\n"
    "  -h, --help      show this help and end\n"
    "      --version   show the version and end\n"
    "\n"
    "Esc ends monitoring, then any key ends the program; Ctrl-C ends it at once.\n";
inline constexpr char VERSION_LINE[] = "ic9100-monitor " MONITOR_VERSION "\n";

}  // namespace monitor
