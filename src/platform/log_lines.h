// The heard log's layout, shared by both operating systems: every line that
// standard output gets, behind the local time it was written.
#pragma once

namespace platform {

struct local_time {
    int year, month, day, hour, minute, second;
};

// "YYYY-MM-DD HH:MM:SS " sorts as time goes on, so a log reads in order and
// greps by date.
inline constexpr int STAMP_SIZE = 20;
// The most bytes log_lines hands over in one piece.
inline constexpr int LOG_PIECE_MAX = STAMP_SIZE + 1024;

// Writes the stamp's STAMP_SIZE characters to out, with no zero after them.
void format_stamp(const local_time& t, char* out);

// Hands write_piece the log's bytes for text (CR LF text as redirected
// standard output gets it): each line, up to and including its LF, in one
// piece with the stamp in front, so that lines of two monitors appending
// to one file never mix. A piece that ends without LF leaves at_line_start
// false, and the rest of that line comes without a second stamp.
void log_lines(const char* text, int count, const char* stamp, bool& at_line_start,
               void (*write_piece)(const char* bytes, int count));

// Writes one piece through write_bytes, which returns how many bytes the
// file took. A piece the file took only part of (a full disk) leaves cut
// true, and the next piece then ends that line first, so that every line
// after it stands whole behind its own stamp.
void write_log_piece(const char* bytes, int count, bool& cut, int (*write_bytes)(const char* bytes, int count));

}  // namespace platform
