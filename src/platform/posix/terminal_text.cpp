#include "platform/posix/terminal_text.h"

#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "platform/console_text.h"

namespace platform::posix {

namespace {

iconv_t from_cp932 = reinterpret_cast<iconv_t>(-1);
iconv_t to_locale = reinterpret_cast<iconv_t>(-1);  // unused when UTF-8
bool locale_is_utf8 = true;
bool opened;

void open_converters() {
    opened = true;
    from_cp932 = iconv_open("UTF-32LE", "CP932");
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    // The C and POSIX locales name plain ASCII; a bare server login is
    // still almost always a UTF-8 terminal.
    if (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) return;
    to_locale = iconv_open(codeset, "UTF-32LE");
    locale_is_utf8 = to_locale == reinterpret_cast<iconv_t>(-1);
}

// The code point of one character, or -1 when the bytes are not one.
long decode(const unsigned char* bytes, int count) {
    if (from_cp932 == reinterpret_cast<iconv_t>(-1)) return bytes[0] < 0x80 && count == 1 ? bytes[0] : -1;
    char in[2] = {static_cast<char>(bytes[0]), static_cast<char>(count > 1 ? bytes[1] : 0)};
    unsigned char out[8];
    char* in_p = in;
    char* out_p = reinterpret_cast<char*>(out);
    size_t in_left = static_cast<size_t>(count), out_left = sizeof out;
    iconv(from_cp932, nullptr, nullptr, nullptr, nullptr);
    if (iconv(from_cp932, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1) || in_left != 0 ||
        out_left != 4)
        return -1;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<long>(out[3]) << 24);
}

int encode_utf8(long c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;  // code page 932 holds nothing beyond the basic plane
}

int encode(long c, char* out) {
    if (locale_is_utf8) return encode_utf8(c, out);
    unsigned char in[4] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                           static_cast<unsigned char>(c >> 16), 0};
    char* in_p = reinterpret_cast<char*>(in);
    char* out_p = out;
    size_t in_left = 4, out_left = 4;
    iconv(to_locale, nullptr, nullptr, nullptr, nullptr);
    if (iconv(to_locale, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1)) return 0;
    return static_cast<int>(4 - out_left);
}

}  // namespace

int render_for_terminal(const char* text, int count, char* out) {
    if (!opened) open_converters();
    // Our texts are a few hundred bytes at most; a longer one is cut into
    // pieces, at worst through a two-byte character, shown then as ".".
    constexpr int PIECE = 2048;
    char32_t shown[PIECE];
    int n = 0;
    for (int done = 0; done < count; done += PIECE) {
        const int part = count - done < PIECE ? count - done : PIECE;
        const int points = shown_code_points(text + done, part, decode, shown);
        for (int i = 0; i < points; ++i) {
            const int written = encode(static_cast<long>(shown[i]), out + n);
            if (written == 0) out[n++] = '.';
            n += written;
        }
    }
    return n;
}

}  // namespace platform::posix
