// The operating-system layer on Windows.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/os.hpp"

namespace runtime::os {

namespace {

// A File holds a HANDLE.
HANDLE handle_of(File file) { return reinterpret_cast<HANDLE>(file); }  // NOLINT(performance-no-int-to-ptr)

bool write_all(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (WriteFile(handle, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

long read_some(HANDLE handle, char* buffer, std::size_t size) {
  DWORD count = 0;
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (ReadFile(handle, buffer, chunk, &count, nullptr) != 0) return static_cast<long>(count);
  const DWORD error = GetLastError();
  return error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ? 0 : -1;
}

// A disk file that is not a directory; the fixed names pibench opens are
// never pipes or devices there.
HANDLE open_once(const char* name, DWORD access, DWORD disposition) {
  const HANDLE handle = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool is_disk_file = GetFileType(handle) == FILE_TYPE_DISK;
  const bool wanted = is_disk_file && !(GetFileInformationByHandle(handle, &info) != 0 &&
                                        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  if (!wanted) {
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

bool move_to(HANDLE handle, std::int64_t offset, DWORD method, std::int64_t* now = nullptr) {
  LARGE_INTEGER distance{}, result{};
  distance.QuadPart = offset;
  if (SetFilePointerEx(handle, distance, &result, method) == 0) return false;
  if (now != nullptr) *now = result.QuadPart;
  return true;
}

// Held while interrupts are blocked. A console event that would end the
// process takes it and keeps it, so the process ends only outside the
// blocked stretch.
SRWLOCK interrupts_lock = SRWLOCK_INIT;

BOOL WINAPI on_console_event(DWORD /*event*/) {
  AcquireSRWLockExclusive(&interrupts_lock);
  return FALSE;  // the default handler ends the process
}

}  // namespace

void start_process() {
  // Closed standard handles are never reused by CreateFile, so nothing
  // needs reconnecting; writes to them fail, as console writes may.
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool write_standard_output(std::string_view bytes) { return write_all(GetStdHandle(STD_OUTPUT_HANDLE), bytes); }
bool write_standard_error(std::string_view bytes) { return write_all(GetStdHandle(STD_ERROR_HANDLE), bytes); }

bool output_is_terminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::optional<int> terminal_columns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return std::nullopt;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? std::optional<int>(columns) : std::nullopt;
}

long read_standard_input(char* buffer, std::size_t size) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const long count = read_some(input, buffer, size);
  DWORD mode = 0;
  // At the console, Ctrl-Z at the start of a line ends the input.
  if (count > 0 && buffer[0] == '\x1a' && GetConsoleMode(input, &mode) != 0) return 0;
  return count;
}

// Creating and opening are one step, so that a file another run creates
// meanwhile is never taken for one that may only be read.
File open_file(const char* name) {
  HANDLE handle = open_once(name, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) handle = open_once(name, GENERIC_READ, OPEN_EXISTING);
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(handle);
}

File open_file_for_writing(const char* name) {
  HANDLE handle = open_once(name, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) handle = open_once(name, GENERIC_WRITE, OPEN_ALWAYS);
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(handle);
}

File open_file_for_reading(const char* name) {
  const HANDLE handle = open_once(name, GENERIC_READ, OPEN_EXISTING);
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(handle);
}

File open_stream_for_reading(const char* name) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (std::string_view(name) == "-") {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE ||
        DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &handle, 0, FALSE, DUPLICATE_SAME_ACCESS) ==
            0) {
      return kNoFile;
    }
  } else {
    // A directory is not opened without FILE_FLAG_BACKUP_SEMANTICS.
    handle = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  }
  return reinterpret_cast<File>(handle);
}

long read_file(File file, char* buffer, std::size_t size) { return read_some(handle_of(file), buffer, size); }

bool write_file(File file, std::string_view bytes) { return write_all(handle_of(file), bytes); }

bool drop_old_content(File file, std::size_t size) {
  const HANDLE handle = handle_of(file);
  LARGE_INTEGER old_size{};
  if (GetFileType(handle) != FILE_TYPE_DISK || GetFileSizeEx(handle, &old_size) == 0 || old_size.QuadPart == 0) {
    return true;
  }
  // The room the new bytes need, reserved before the old ones are given up.
  FILE_ALLOCATION_INFO allocation{};
  allocation.AllocationSize.QuadPart = std::max<LONGLONG>(old_size.QuadPart, static_cast<LONGLONG>(size));
  if (SetFileInformationByHandle(handle, FileAllocationInfo, &allocation, sizeof allocation) == 0) {
    const DWORD error = GetLastError();
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return false;
  }
  return truncate(file, 0);  // fails, keeping the old content, on a file open for reading only
}

std::int64_t position(File file) {
  std::int64_t now = -1;
  return move_to(handle_of(file), 0, FILE_CURRENT, &now) ? now : -1;
}

std::int64_t seek_end(File file) {
  std::int64_t now = -1;
  return move_to(handle_of(file), 0, FILE_END, &now) ? now : -1;
}

bool seek(File file, std::int64_t offset) { return move_to(handle_of(file), offset, FILE_BEGIN); }

namespace {
std::optional<FileId> id_of(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(handle, &info) == 0) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                false};
}
}  // namespace

std::optional<FileId> file_id(File file) { return id_of(handle_of(file)); }

std::optional<FileId> file_id_of(const char* name) {
  const HANDLE handle = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<FileId> id = id_of(handle);
  CloseHandle(handle);
  return id;
}

bool truncate(File file, std::int64_t size) {
  const HANDLE handle = handle_of(file);
  std::int64_t now = 0;
  if (!move_to(handle, 0, FILE_CURRENT, &now) || !move_to(handle, size, FILE_BEGIN)) return false;
  const bool cut = SetEndOfFile(handle) != 0;
  move_to(handle, now, FILE_BEGIN);
  return cut;
}

void lock_exclusive(File file) {
  OVERLAPPED whole_file{};
  LockFileEx(handle_of(file), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole_file);
}

void unlock(File file) {
  OVERLAPPED whole_file{};
  UnlockFileEx(handle_of(file), 0, MAXDWORD, MAXDWORD, &whole_file);
}

void close_file(File file) { CloseHandle(handle_of(file)); }

void block_interrupts() { AcquireSRWLockExclusive(&interrupts_lock); }
void unblock_interrupts() { ReleaseSRWLockExclusive(&interrupts_lock); }

double monotonic_seconds() {
  LARGE_INTEGER count{}, frequency{};
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double mark_seconds() { return monotonic_seconds(); }

SystemFacts system_facts() {
  SystemFacts facts;
  char name[256] = {};
  DWORD size = sizeof name;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString",
                   RRF_RT_REG_SZ, nullptr, name, &size) == ERROR_SUCCESS) {
    std::string cpu(name);
    cpu.erase(cpu.find_last_not_of(' ') + 1);
    cpu.erase(0, cpu.find_first_not_of(' '));
    if (!cpu.empty()) facts.cpu = cpu;
  }
  const DWORD cpus = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  if (cpus > 0) facts.logical_cpus = static_cast<int>(cpus);
  // GetVersionEx answers for the version a program is marked for; ntdll
  // tells the truth.
  using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const FARPROC proc = ntdll != nullptr ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  const auto get_version = reinterpret_cast<RtlGetVersion>(reinterpret_cast<void (*)()>(proc));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (get_version != nullptr && get_version(&version) == 0) {
    const std::string number = std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
                               "." + std::to_string(version.dwBuildNumber);
    facts.os = "Windows " + number;
    facts.kernel = "Windows NT " + number;
  }
  return facts;
}

namespace {

double seconds_of(const FILETIME& time) {
  return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) * 1e-7;
}

// The current frequency of the processor this runs on, else its rated one.
std::optional<double> current_frequency_mhz() {
  struct PowerInformation {  // PROCESSOR_POWER_INFORMATION
    ULONG number, max_mhz, current_mhz, mhz_limit, max_idle_state, current_idle_state;
  };
  using CallNtPowerInformation = LONG(WINAPI*)(int, void*, ULONG, void*, ULONG);
  const HMODULE powrprof = LoadLibraryA("powrprof.dll");
  const FARPROC proc = powrprof != nullptr ? GetProcAddress(powrprof, "CallNtPowerInformation") : nullptr;
  const auto call = reinterpret_cast<CallNtPowerInformation>(reinterpret_cast<void (*)()>(proc));
  std::vector<PowerInformation> processors(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS));
  const ULONG size = static_cast<ULONG>(processors.size() * sizeof(PowerInformation));
  const DWORD cpu = GetCurrentProcessorNumber();
  constexpr int kProcessorInformation = 11;
  if (call != nullptr && cpu < processors.size() &&
      call(kProcessorInformation, nullptr, 0, processors.data(), size) == 0 && processors[cpu].current_mhz > 0) {
    return processors[cpu].current_mhz;
  }
  DWORD mhz = 0;
  DWORD length = sizeof mhz;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "~MHz", RRF_RT_REG_DWORD,
                   nullptr, &mhz, &length) == ERROR_SUCCESS &&
      mhz > 0) {
    return mhz;
  }
  return std::nullopt;
}

}  // namespace

// Windows keeps no load average and shows no steal time.
MachineState machine_state() {
  MachineState state;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) != 0) {
    state.cpu_seconds = seconds_of(kernel) + seconds_of(user);
  }
  state.frequency_mhz = current_frequency_mhz();
  return state;
}

// Within the process's processor group: at most 64 processors.
std::vector<int> usable_cpus() {
  std::vector<int> cpus;
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) != 0) {
    for (int cpu = 0; cpu < static_cast<int>(8 * sizeof process); ++cpu) {
      if (((process >> cpu) & 1) != 0) cpus.push_back(cpu);
    }
  }
  if (cpus.empty()) cpus.push_back(0);
  return cpus;
}

bool pin_thread(int cpu) {
  if (cpu < 0 || cpu >= static_cast<int>(8 * sizeof(DWORD_PTR))) return false;
  return SetThreadAffinityMask(GetCurrentThread(), static_cast<DWORD_PTR>(1) << cpu) != 0;
}

long utc_offset(std::time_t time) {
  std::tm local{};
  std::tm utc{};
  localtime_s(&local, &time);
  gmtime_s(&utc, &time);
  utc.tm_isdst = local.tm_isdst;  // both read as local time, the same daylight-saving rule
  return static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)));
}

void exit_process(int status) { std::_Exit(status); }

}  // namespace runtime::os
