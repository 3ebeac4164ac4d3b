#pragma once

#include "platform/platform.h"

namespace monitor {

// The serial line to the radio, open from the end of port selection on.
extern platform::port_t port_handle;

}  // namespace monitor
