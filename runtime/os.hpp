#pragma once
// The operating system as the run-time layer sees it: the console, files by
// name, the process set-up, held interrupts and the exit. One implementation
// per platform (os_posix.cpp, os_windows.cpp), chosen by the build; nothing
// else in the program touches the operating system.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime::os {

// An open file; kNoFile when there is none.
using File = std::intptr_t;
constexpr File kNoFile = -1;

// Standard streams that are closed are connected to the null device, so
// that no file opened later takes their place; writes that fail return an
// error instead of ending the process; the default treatment of interrupts
// and of the signals that end a process is kept, so that they end it.
void start_process();

// All of `bytes` to standard output or standard error, unaltered (no line
// end is translated); false when any of it could not be written.
bool write_standard_output(std::string_view bytes);
bool write_standard_error(std::string_view bytes);

// The columns of the terminal standard output writes to; nullopt when it
// writes elsewhere (a file, a pipe) or the terminal does not say.
std::optional<int> terminal_columns();
// Whether standard output is a terminal.
bool output_is_terminal();

// Up to `size` bytes of standard input: the count read, 0 at the end of the
// input (the console's end-of-input key included), -1 on an error.
long read_standard_input(char* buffer, std::size_t size);

// Opens `name` at its start for reading and writing, for reading only when
// writing is refused, or creates it; kNoFile when all three fail or the
// file is neither a regular file nor the null device (a directory, a FIFO,
// a socket, another device). Never waits for another process or a reader.
File open_file(const char* name);

// Opens `name` for reading and writing, or creates it; for writing only
// when reading is refused; never for reading only. The same checks.
File open_file_for_writing(const char* name);

// Opens an existing `name` for reading only, with the same checks; never
// creates it.
File open_file_for_reading(const char* name);

// Opens `name` for reading whatever it is but a directory: a file, a pipe
// (waiting for a named one's writer), a device; "-" is standard input.
File open_stream_for_reading(const char* name);

// Up to `size` bytes from the current position: the count read, 0 at the
// end of the file, -1 on an error.
long read_file(File file, char* buffer, std::size_t size);

// All of `bytes` at the current position; false when any of it failed.
bool write_file(File file, std::string_view bytes);

// Before the first write of `size` bytes: drops the old content of a
// writable regular file, once there is room for those bytes. False, with
// the old content kept, when there is not (a full disk, a file-size limit).
bool drop_old_content(File file, std::size_t size);

// The current position, or the end of the file (moving there); -1 on an error.
std::int64_t position(File file);
std::int64_t seek_end(File file);

// Moves to `offset` from the start; false on an error.
bool seek(File file, std::int64_t offset);

// What a file is, whatever name or link reaches it: two names of one file
// have equal identities.
struct FileId {
  std::uint64_t device = 0, index = 0;
  bool null_device = false;
  bool operator==(const FileId&) const = default;
};
std::optional<FileId> file_id(File file);
// The file `name` names now (links followed); nullopt when there is none.
std::optional<FileId> file_id_of(const char* name);

// Cuts the file at `size`; false on an error.
bool truncate(File file, std::int64_t size);

// Waits until no other process holds the lock, then holds it until the file
// is closed. The null device takes no lock, so that one process may use it
// as two files.
void lock_exclusive(File file);
void unlock(File file);

void close_file(File file);

// Interrupts and terminating signals are held back while they are blocked;
// unblocking delivers any that came.
void block_interrupts();
void unblock_interrupts();

// The monotonic clock in seconds from an arbitrary start: never set, never
// stepped.
double monotonic_seconds();

// The same clock for the marks within the timed interval, read straight
// from the kernel where the C library could be interposed (a test's fake
// clock moves on at every reading it sees, and must see only the run's own).
double mark_seconds();

// What the machine is, for a run log; what cannot be found is empty.
struct SystemFacts {
  std::optional<std::string> cpu;  // the processor's model name
  std::optional<int> logical_cpus;
  std::optional<std::string> os;  // the operating system's name and version
  std::optional<std::string> kernel;
  std::optional<std::string> governor;  // the frequency governor of the processor this runs on
};
SystemFacts system_facts();

// What can be read of the machine's state at either end of a timed
// interval, to tell a disturbed run; empty for what the system does not show.
struct MachineState {
  std::optional<double> cpu_seconds;    // this process's user and system time
  std::optional<double> frequency_mhz;  // the current frequency of the processor it runs on
  std::optional<double> load_average;   // over the last minute
  std::optional<double> steal_seconds;  // what a virtual machine's host gave to others, since boot
};
MachineState machine_state();

// The logical processors this process may run on, in ascending order: its
// affinity mask where the system keeps one, else every online processor.
// Never empty.
std::vector<int> usable_cpus();

// Keeps the calling thread on logical processor `cpu` from now on; false
// where the system does not allow it.
bool pin_thread(int cpu);

// The offset of local time from UTC at `time`, in seconds east.
long utc_offset(std::time_t time);

// Ends the process at once with `status`, running no exit handlers.
[[noreturn]] void exit_process(int status);

}  // namespace runtime::os
