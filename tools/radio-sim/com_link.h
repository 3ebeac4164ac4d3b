// The dosdevices/comN link that publishes radio-sim's line as a COM port.
// radio-sim only ever removes or replaces a link it can prove it made: a
// marker beside it (.radio-sim-comN) records the maker's pid, the line the
// link names and the link's own inode and change time.
#pragma once

#include <string>

namespace radio_sim {

enum class publish_result { published, taken, failed };

struct com_link {
    std::string path;   // DIR/comN
    std::string line;   // what it names: our pseudo-terminal
    int com = 0;
};

// Links line as COM wanted (0: the first free number) in the dosdevices
// folder dir. A number is free when nothing is there, or when what is there
// is a link left by a radio-sim that is gone and is exactly as it left it.
// On anything but published, *message says why.
publish_result publish_link(const std::string& dir, int wanted, const std::string& line, com_link* link,
                            std::string* message);

// Removes the link if it still names our line, and our marker.
void withdraw_link(const com_link& link);

}  // namespace radio_sim
