#pragma once

namespace platform::posix {

// Lets go of the serial port's exclusive use, so that other programs can
// open the line once we are gone: a pseudo-terminal keeps the flag after
// its last close. Safe inside a signal handler; keeps errno.
void release_port();

}  // namespace platform::posix
