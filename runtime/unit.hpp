#pragma once
// Units: the console and files opened by name, as the Fortran run-time
// library connects them, with the faults it leaves open made safe. Each
// write statement goes to the file at once, whole, and reports whether it
// did. A file's old content is dropped at its first write, so that whatever
// ends the process (a signal, a crash, a power loss) the file holds either
// its old content or a prefix of what this run wrote, never both.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/list_input.hpp"
#include "runtime/os.hpp"

namespace runtime {

// Unit 6: standard output. The benchmark's console writes have no error
// handling; the report's check that all of its output went out.
bool console_write(std::string_view bytes);

// The columns standard output has: on a terminal, COLUMNS when it holds a
// width, else the terminal's own; `otherwise` elsewhere.
int console_columns(int otherwise);

// Standard error, for the stop message.
void error_write(std::string_view bytes);

// Unit 5: standard input, for the list-directed read of the answer.
ByteSource& console_input();

class FileUnit {
 public:
  static constexpr std::size_t kRecordWidth = 50;
  using Record50 = std::array<char, kRecordWidth>;
  enum class ReadResult { kRecord, kEnd, kError };

  FileUnit() = default;
  FileUnit(const FileUnit&) = delete;
  FileUnit& operator=(const FileUnit&) = delete;
  ~FileUnit() { close(); }

  // Closes the file, cut after what was written to it, and gives its unit
  // back; nothing when it is not open.
  void close();

  // Opens the file at its start for reading and writing, for reading only
  // when writing is refused, or creates it. False when all three fail, and
  // at once for what is neither a regular file nor the null device (a
  // directory, a FIFO, a socket, another device), so that no run waits on
  // it or writes into it.
  bool open(const char* name);

  // A unit whose writes go nowhere and succeed: a run that writes no file.
  void open_discarding() { discarding_ = true; }

  // Opens an existing file for reading only; false when it cannot be read.
  bool open_for_reading(const char* name);

  // Opens anything but a directory for reading, a pipe or a device too;
  // "-" is standard input. False when it cannot be opened.
  bool open_stream_for_reading(const char* name);

  // Opens the file for reading and writing, or creates it; false when it
  // cannot be written.
  bool open_for_writing(const char* name);

  // One write statement: its bytes at the current position. False when any
  // of it could not be written. The first one drops the old content, once
  // there is room for its bytes; when there is not, the old content stays.
  bool write(std::string_view bytes);

  // The first bytes of a line: room for a record line and for a line of a
  // run log.
  static constexpr std::size_t kLineWidth = 4096;
  struct Line {
    std::array<char, kLineWidth> columns;  // unset past `length`
    std::size_t length;                    // at most kLineWidth
    bool cut;                              // the line was longer
    std::string_view text() const { return {columns.data(), length}; }
  };

  // The next line's first kLineWidth bytes. A last line with no line end is
  // a line too; a carriage return ending a line is not part of it. Lines of
  // any length take constant memory.
  ReadResult read_line(Line& line);

  // The next line whole when it has at most `limit` bytes; a longer one is
  // read past and given empty, with `cut` set.
  ReadResult read_line(std::string& line, std::size_t limit, bool& cut);

  // Formatted read "(a50)": the next line's first 50 bytes, blank-padded.
  ReadResult read_a50(Record50& record);

  // After the last record has been read: adds `line` (without its newline) as
  // a new last line, after a line end for an unterminated last line, all in
  // one write. On failure the file is put back to its old length.
  bool append_line(std::string_view line);

  // Adds `line` as a new last line without reading the file: after a line
  // end when its last byte is not one. A file that may not be read is
  // appended to as it is. On failure the file is put back to its old length.
  bool append_line_at_end(std::string_view line);

  // Keeps other processes' appends out until the file is closed or unlocked.
  void lock_exclusive();
  void unlock();

  // What the open file is; nullopt when it is not open or cannot be told.
  std::optional<os::FileId> id() const;

 private:
  bool adopt(std::intptr_t file);
  int fill();
  int slot_ = -1;
  unsigned serial_ = 0;  // the slot's opening this unit holds
  bool discarding_ = false;
  std::array<char, 65536> buffer_{};
  std::size_t begin_ = 0, end_ = 0;
  bool at_end_ = false;
  bool ended_without_newline_ = false;
};

// Whether two names lead to one file: the same path once links are
// followed, or, for files that exist, the same file.
bool same_file(const char* a, const char* b);

// Every opened file closed, a written one cut after what was written to it.
void close_all_units();

}  // namespace runtime
