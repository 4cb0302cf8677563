#pragma once
// Text from files and command lines made safe to show: valid UTF-8 with no
// control characters, and its width on a terminal.
#include <cstddef>
#include <string>
#include <string_view>

namespace runtime {

// Valid UTF-8 that every output format can hold: each maximal ill-formed
// subsequence (a lone byte, a sequence cut short) and each control
// character (C0, DEL, C1), noncharacter U+FFFE, U+FFFF and bidirectional
// control (U+202A-U+202E, U+2066-U+2069) shown as one U+FFFD, so a name cut
// inside a character reads the same from any file and cannot turn the text
// after it around.
std::string displayable(std::string_view bytes);

// The columns a terminal gives valid UTF-8: East Asian wide characters two,
// combining marks none, as glibc's wcwidth() in C.UTF-8 (one table, the same
// on every platform).
std::size_t display_width(std::string_view utf8);

// Valid UTF-8 cut to at most `width` columns, whole characters, ending in
// "…" where anything was cut.
std::string cut_to_width(std::string_view utf8, std::size_t width);

}  // namespace runtime
