#include "runtime/unit.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace runtime {

namespace {

// The open files, for the cut at the end of the process. Plain data only, so
// that a signal handler may walk it.
struct OpenFile {
  int fd = -1;
  bool written = false;
};
constexpr int kMaxFiles = 8;
OpenFile open_files[kMaxFiles];

// Writes all of `bytes` at the current position; false on any failure.
bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

int open_regular(const char* name, int flags) {
  const int fd = ::open(name, flags | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class StdinSource : public ByteSource {
 public:
  int get() override {
    if (begin_ == end_ && !fill()) return kEnd;
    return static_cast<unsigned char>(buffer_[begin_++]);
  }

 private:
  bool fill() {
    if (ended_) return false;
    for (;;) {
      const ssize_t n = ::read(0, buffer_, sizeof buffer_);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ended_ = true;  // end of input, or a read error: both end the dialogue
        return false;
      }
      begin_ = 0;
      end_ = static_cast<std::size_t>(n);
      return true;
    }
  }
  char buffer_[4096];
  std::size_t begin_ = 0, end_ = 0;
  bool ended_ = false;
};

}  // namespace

void console_write(std::string_view bytes) { write_all(1, bytes); }

ByteSource& console_input() {
  static StdinSource source;
  return source;
}

bool FileUnit::open(const char* name) {
  int fd = open_regular(name, O_RDWR);
  if (fd < 0) fd = open_regular(name, O_RDONLY);
  if (fd < 0) fd = open_regular(name, O_RDWR | O_CREAT);
  if (fd < 0) return false;
  for (int i = 0; i < kMaxFiles; ++i) {
    if (open_files[i].fd < 0) {
      open_files[i] = {fd, false};
      slot_ = i;
      return true;
    }
  }
  ::close(fd);
  return false;
}

bool FileUnit::write(std::string_view bytes) {
  OpenFile& file = open_files[slot_];
  file.written = true;
  return write_all(file.fd, bytes);
}

int FileUnit::fill() {
  if (begin_ < end_) return static_cast<unsigned char>(buffer_[begin_]);
  if (at_end_) return -1;
  for (;;) {
    const ssize_t n = ::read(open_files[slot_].fd, buffer_.data(), buffer_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -2;
    if (n == 0) {
      at_end_ = true;
      return -1;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return static_cast<unsigned char>(buffer_[0]);
  }
}

FileUnit::ReadResult FileUnit::read_a50(Record50& record) {
  record.fill(' ');
  std::size_t length = 0;
  bool any = false;
  bool carriage_return = false;  // the last byte kept was a carriage return
  for (;;) {
    const int c = fill();
    if (c == -2) return ReadResult::kError;
    if (c == -1) {
      if (!any) return ReadResult::kEnd;
      ended_without_newline_ = true;
      break;
    }
    ++begin_;
    if (c == '\n') break;
    any = true;
    carriage_return = false;
    if (length < kRecordWidth) {
      record[length++] = static_cast<char>(c);
      carriage_return = c == '\r';
    }
  }
  if (carriage_return) record[length - 1] = ' ';
  return ReadResult::kRecord;
}

bool FileUnit::append_line(std::string_view line) {
  const int fd = open_files[slot_].fd;
  const off_t old_size = ::lseek(fd, 0, SEEK_END);
  if (old_size < 0) return false;
  char text[kRecordWidth + 64];
  std::size_t size = 0;
  if (ended_without_newline_) text[size++] = '\n';
  if (line.size() > sizeof text - size - 1) return false;
  std::memcpy(text + size, line.data(), line.size());
  size += line.size();
  text[size++] = '\n';
  if (write_all(fd, std::string_view(text, size))) return true;
  while (::ftruncate(fd, old_size) != 0 && errno == EINTR) {
  }
  return false;
}

void FileUnit::lock_exclusive() {
  while (::flock(open_files[slot_].fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

void close_all_units() {
  for (OpenFile& file : open_files) {
    if (file.fd < 0) continue;
    if (file.written) {
      const off_t end = ::lseek(file.fd, 0, SEEK_CUR);
      if (end >= 0) (void)::ftruncate(file.fd, end);
    }
    ::close(file.fd);
    file = OpenFile{};
  }
}

}  // namespace runtime
