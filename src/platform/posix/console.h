// The terminal's settings as the keyboard code prepared them, for the
// signal handlers: each call is safe inside a handler and keeps errno.
#pragma once

namespace platform::posix {

// Puts back the settings the terminal had before we changed them.
void restore_console();
// Applies the settings in force again (after we were stopped and went on).
void reapply_console();

// Installs the handlers that put the terminal back and let go of the port
// on every way out, and hand the terminal to the shell while we are stopped.
void catch_signals();

}  // namespace platform::posix
