// What the serial line's code tells the rest of the POSIX layer.
#pragma once

namespace platform::posix {

// True while bytes that arrived are still waiting in the read-ahead: the
// radio is sending, and the receive loop is busy with them.
bool bytes_in_hand();

// Lets go of the serial port's exclusive use, so that other programs can
// open the line once we are gone: a pseudo-terminal keeps the flag after
// its last close. Safe inside a signal handler; keeps errno.
void release_port();

}  // namespace platform::posix
