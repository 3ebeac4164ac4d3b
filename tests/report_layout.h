// The layouts of the monitor's report lines, whatever bytes the radio put
// in them: the one checker of the fuzz targets and the end-to-end tests.
#pragma once

#include <string>
#include <string_view>

namespace layout {

enum class kind { none, callsign, message };

// Which report line this is, given whole with its LF; none when it has
// neither layout.
kind report_line(std::string_view line);

// Over a monitor's standard output as written to a file, every LF a CR LF:
// "" when every line is whole and is the ready line or a report line; else
// where and what is wrong. Counts the report lines it found.
std::string check_report_lines(const std::string& written, int* reports = nullptr);

}  // namespace layout
