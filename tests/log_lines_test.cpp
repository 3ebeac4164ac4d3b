#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/log_lines.h"

namespace {

std::string stamp(const platform::local_time& t) {
    char out[platform::STAMP_SIZE];
    platform::format_stamp(t, out);
    return std::string(out, sizeof out);
}

TEST(LogStamp, FixedWidthWithLeadingZeros) {
    EXPECT_EQ(stamp({2024, 1, 2, 3, 4, 5}), "2024-01-02 03:04:05 ");
    EXPECT_EQ(stamp({1999, 12, 31, 23, 59, 59}), "1999-12-31 23:59:59 ");
    EXPECT_EQ(stamp({2100, 10, 10, 0, 0, 0}), "2100-10-10 00:00:00 ");
}

std::vector<std::string> pieces;
void keep(const char* bytes, int count) { pieces.emplace_back(bytes, count); }

std::vector<std::string> logged(const std::vector<std::string>& writes) {
    pieces.clear();
    bool at_line_start = true;
    for (const std::string& w : writes)
        platform::log_lines(w.data(), static_cast<int>(w.size()), "STAMP:-------------|", at_line_start, keep);
    return pieces;
}

TEST(LogLines, EachLineIsOnePieceBehindItsStamp) {
    const std::string s = "STAMP:-------------|";
    EXPECT_EQ(logged({"IC-9100 recieving ready\r\n"}), (std::vector<std::string>{s + "IC-9100 recieving ready\r\n"}));
    // A LF among the radio's bytes ends a line on standard output, so in the
    // log as well; a CR alone does not.
    EXPECT_EQ(logged({std::string("N1\r\nDEMO\r  /\0\r\n", 15)}),
              (std::vector<std::string>{s + "N1\r\n", s + std::string("DEMO\r  /\0\r\n", 11)}));
    // A line written in two parts has one stamp.
    EXPECT_EQ(logged({"Msg:", "hello\r\n", "next\r\n"}),
              (std::vector<std::string>{s + "Msg:", "hello\r\n", s + "next\r\n"}));
    EXPECT_EQ(logged({""}), std::vector<std::string>{});
}

TEST(LogLines, AnOverlongLineGoesWholeInMorePieces) {
    const std::string line = std::string(3000, 'x') + "\r\n";
    const std::vector<std::string> got = logged({line});
    ASSERT_GT(got.size(), 1u);
    std::string joined;
    for (const std::string& p : got) joined += p;
    EXPECT_EQ(joined, "STAMP:-------------|" + line);
}

// A full disk takes part of a line, then nothing, then all again: the line
// it cut is ended before the next, which stands whole.
std::string file;
int room = 0;

int take(const char* bytes, int count) {
    const int taken = count < room ? count : room;
    file.append(bytes, static_cast<std::size_t>(taken));
    room -= taken;
    return taken;
}

TEST(LogLines, ALineTheFileCutShortIsEndedBeforeTheNext) {
    file.clear();
    bool cut = false;
    const struct {
        int room;
        std::string piece, file_after;
        bool cut_after;
    } steps[] = {
        {100, "one\r\n", "one\r\n", false},
        {3, "two\r\n", "one\r\ntwo", true},
        {0, "three\r\n", "one\r\ntwo", true},
        {100, "four\r\n", "one\r\ntwo\r\nfour\r\n", false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.piece);
        room = s.room;
        platform::write_log_piece(s.piece.data(), static_cast<int>(s.piece.size()), cut, take);
        EXPECT_EQ(file, s.file_after);
        EXPECT_EQ(cut, s.cut_after);
    }
}

}  // namespace

