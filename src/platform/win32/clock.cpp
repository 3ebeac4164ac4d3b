#include <windows.h>

#include "platform/platform.h"

namespace platform {

long long clock_ms() { return static_cast<long long>(GetTickCount64()); }

void sleep_ms(int ms) { Sleep(static_cast<DWORD>(ms)); }

}  // namespace platform
