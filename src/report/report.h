// The two report lines. Each looks at the completed frame in civ::frame_buf
// and writes its line on standard output only when the frame is its kind.
#pragma once

namespace report {

void show_callsign_report();
void show_message_report();

}  // namespace report
