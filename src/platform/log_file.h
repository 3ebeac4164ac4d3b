// The heard log's side of standard output; each operating system's
// log_file.cpp holds it.
#pragma once

namespace platform {

// Called with every piece of text standard output gets, as CR LF text,
// before it goes out: what was shown is in the log already. Does nothing
// while no log is open.
void log_output(const char* crlf, int count);

}  // namespace platform
