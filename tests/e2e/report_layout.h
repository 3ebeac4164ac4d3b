// Checks a monitor's standard output, as written to a file, against the
// layouts of its lines, whatever bytes the radio put in them.
#pragma once

#include <string>

namespace e2e {

// "" when every line is whole and laid out as it must be; else where and
// what is wrong. Counts the report lines it found.
std::string check_report_lines(const std::string& written, int* reports = nullptr);

}  // namespace e2e
