#pragma once

namespace platform::posix {

// Writes every byte, going on after interruptions and partial writes; gives
// up quietly on an error, as nothing could be done about it.
// Returns how many bytes went.
int write_all(int fd, const void* bytes, int count);

}  // namespace platform::posix
