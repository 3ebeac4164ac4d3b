// The console's fixed texts. The Japanese ones are Shift-JIS (code page 932)
// bytes and are written as such, whatever the console's own code page.
#pragma once

#include "platform/platform.h"

// The one place the version is written: the banner and --version show it.
#define MONITOR_VERSION "0.99"

namespace monitor {

inline constexpr char BANNER[] = "IC-9100 command monitor version " MONITOR_VERSION "\n\n";
// "ＣＯＭ番号を入力してください :" (please enter the COM number), no line end
inline constexpr char PORT_PROMPT[] =
    "\x82\x62\x82\x6E\x82\x6C\x94\xD4\x8D\x86\x82\xF0\x93\xFC\x97\xCD"
    "\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2 :";
// "オープン・エラー" (open error)
inline constexpr char OPEN_ERROR[] = "\x83\x49\x81\x5B\x83\x76\x83\x93\x81\x45\x83\x47\x83\x89\x81\x5B\n";
// "ＤＣＢのエラー" (DCB error): the line settings were refused
inline constexpr char DCB_ERROR[] = "\x82\x63\x82\x62\x82\x61\x82\xCC\x83\x47\x83\x89\x81\x5B\n";
inline constexpr char READY[] = "IC-9100 recieving ready\n";
// The line went away (a cable pulled, the radio's USB port gone); said once,
// and the same port is opened again as soon as it is back.
inline constexpr char LINE_LOST[] = "IC-9100 line lost, waiting for it\n";
inline constexpr char FAREWELL[] = "Hit anykey\n";

// Writes a whole text literal, without its terminating zero.
template <int N>
void say_out(const char (&text)[N]) {
    platform::write_output(text, N - 1);
}
template <int N>
void say_err(const char (&text)[N]) {
    platform::write_error(text, N - 1);
}

}  // namespace monitor
