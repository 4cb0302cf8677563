#pragma once
// What the program says of itself when asked on its command line.

namespace driver {

// "--version": name and version, then the compiler, the target and the
// build type, so that a figure can be traced to the build that made it.
// "--help": a short usage. Both end the run normally.
[[noreturn]] void show_version();
[[noreturn]] void show_help();

}  // namespace driver
