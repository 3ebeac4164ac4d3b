#include "platform/console_text.h"

namespace platform {

namespace {

bool is_lead_byte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool is_control(long c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

}  // namespace

int shown_code_points(const char* text, int count, cp932_decoder decode, char32_t* out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int n = 0;
    for (int i = 0; i < count;) {
        if (bytes[i] == '\r' && i + 1 < count && bytes[i + 1] == '\n') {
            out[n++] = U'\r';
            out[n++] = U'\n';
            i += 2;
            continue;
        }
        int length = is_lead_byte(bytes[i]) && i + 1 < count ? 2 : 1;
        const long c = decode(bytes + i, length);
        if (c < 0) length = 1;
        out[n++] = c < 0 || is_control(c) ? U'.' : static_cast<char32_t>(c);
        i += length;
    }
    return n;
}

}  // namespace platform
