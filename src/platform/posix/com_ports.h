// Windows names serial ports COM1, COM2, ...; here a port is a device file.
#pragma once

#include <cstddef>

namespace platform::posix {

// Finds the device for a "\\.\COMn" path: the link dosdevices/comn in the
// Wine prefix ($WINEPREFIX, else ~/.wine) when there is one, else
// /dev/ttyS(n-1). false for any other path and for n of 0 or less.
bool com_device(const char* device_path, char* device, std::size_t size);

}  // namespace platform::posix
