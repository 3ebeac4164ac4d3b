#include "platform/text_mode.h"

namespace platform {

int to_crlf(const char* text, int count, char* out) {
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] == '\n') out[n++] = '\r';
        out[n++] = text[i];
    }
    return n;
}

}  // namespace platform
