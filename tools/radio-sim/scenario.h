// What the simulated radio receives over the air, as a small text format.
// One step a line; '#' starts a comment; strings are in double quotes and
// may hold \xHH, \\ and \".
//
//   callsign MARK "FIELD1" "SUFX" "FIELD2" "FIELD3" "FIELD4"
//                            a call-sign report; MARK is a hex byte: 01 for
//                            "  RPT?", 02 for "  UR?", anything else no mark
//   message "TEXT"           a message report (at most 20 bytes)
//   hex FE FE E0 7C 41*300   raw bytes, as given; BYTE*N repeats a byte
//   pause MS                 nothing for MS milliseconds
//   await N                  wait until N frames to the radio were answered
//                            (await 2: the monitor's setup is done)
#pragma once

#include <string>
#include <vector>

#include "frames.h"

namespace radio_sim {

struct step {
    enum kind_t { send, pause, await } kind;
    bytes data;  // send
    int number;  // pause: milliseconds; await: frames answered
};

using scenario = std::vector<step>;

// false and a message naming the source and line when a line is malformed.
bool parse_scenario(const std::string& text, const std::string& source, scenario* steps, std::string* error);

// A few stations calling through a repeater, both marks, and a message in
// half-width katakana.
const std::string& demo_scenario();

}  // namespace radio_sim
