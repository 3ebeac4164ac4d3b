#include "platform/pc_keys.h"

namespace platform {

namespace {

// Columns: plain (Shift too for the navigation keys), Shift, Ctrl, Alt.
constexpr unsigned char SECOND_CODES[pc_key_count][4] = {
    {71, 71, 119, 151},   // Home
    {72, 72, 141, 152},   // Up
    {73, 73, 132, 153},   // PgUp
    {75, 75, 115, 155},   // Left
    {77, 77, 116, 157},   // Right
    {79, 79, 117, 159},   // End
    {80, 80, 145, 160},   // Down
    {81, 81, 118, 161},   // PgDn
    {82, 82, 146, 162},   // Ins
    {83, 83, 147, 163},   // Del
    {59, 84, 94, 104},    // F1
    {60, 85, 95, 105},    // F2
    {61, 86, 96, 106},    // F3
    {62, 87, 97, 107},    // F4
    {63, 88, 98, 108},    // F5
    {64, 89, 99, 109},    // F6
    {65, 90, 100, 110},   // F7
    {66, 91, 101, 111},   // F8
    {67, 92, 102, 112},   // F9
    {68, 93, 103, 113},   // F10
    {133, 135, 137, 139}, // F11
    {134, 136, 138, 140}, // F12
};

// Scan codes of the US layout's character keys, shifted or not.
struct scan {
    const char* characters;
    unsigned char first_code;  // code of the first character; the rest count up
};

constexpr scan ROWS[] = {
    {"qwertyuiop[]", 16}, {"QWERTYUIOP{}", 16},
    {"asdfghjkl;'`", 30}, {"ASDFGHJKL:\"~", 30},
    {"zxcvbnm,./", 44},   {"ZXCVBNM<>?", 44},
    {"1234567890-=", 120}, {"!@#$%^&*()_+", 120},
};

}  // namespace

int pc_second_code(pc_key key, pc_modifier modifier) { return SECOND_CODES[key][modifier]; }

int pc_alt_code(unsigned char character) {
    switch (character) {
        case 0x1B: return 1;     // Esc
        case 0x08:
        case 0x7F: return 14;    // Backspace
        case '\t': return 165;
        case '\r':
        case '\n': return 28;    // Enter
        case '\\':
        case '|': return 43;
    }
    for (const scan& row : ROWS)
        for (int i = 0; row.characters[i]; ++i)
            if (static_cast<unsigned char>(row.characters[i]) == character) return row.first_code + i;
    return 0;
}

}  // namespace platform
