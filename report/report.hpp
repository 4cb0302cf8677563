#pragma once
// pibench --report: record files and run logs compared per machine.
#include <string>
#include <vector>

namespace report {

// "--report [--format F] [--reference NAME] [FILE...]", the arguments after
// "--report": prints the report and ends normally; says what is wrong on
// standard error and ends with status 2 for arguments or files that cannot
// be used, with status 1 when the report cannot be written.
[[noreturn]] void run_report(const std::vector<std::string>& arguments);

}  // namespace report
