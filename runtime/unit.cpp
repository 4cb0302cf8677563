#include "runtime/unit.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "runtime/os.hpp"

namespace runtime {

namespace {

// The open files, for the cut at the end of the process.
struct OpenFile {
  os::File file = os::kNoFile;
  bool written = false;
  unsigned serial = 0;  // counts the slot's openings
};
constexpr int kMaxFiles = 8;
OpenFile open_files[kMaxFiles];

class StdinSource : public ByteSource {
 public:
  int get() override {
    if (begin_ == end_ && !fill()) return kEnd;
    return static_cast<unsigned char>(buffer_[begin_++]);
  }

 private:
  bool fill() {
    if (ended_) return false;
    const long n = os::read_standard_input(buffer_, sizeof buffer_);
    if (n <= 0) {
      ended_ = true;  // end of input, or a read error: both end the dialogue
      return false;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
  }
  char buffer_[4096];
  std::size_t begin_ = 0, end_ = 0;
  bool ended_ = false;
};

}  // namespace

bool console_write(std::string_view bytes) { return os::write_standard_output(bytes); }

int console_columns(int otherwise) {
  if (!os::output_is_terminal()) return otherwise;
  const char* columns = std::getenv("COLUMNS");
  int width = 0;
  if (columns != nullptr) {
    const std::string_view text(columns);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
    if (error == std::errc() && end == text.data() + text.size() && width > 0) return width;
  }
  return os::terminal_columns().value_or(otherwise);
}

void error_write(std::string_view bytes) { os::write_standard_error(bytes); }

ByteSource& console_input() {
  static StdinSource source;
  return source;
}

bool FileUnit::open(const char* name) { return adopt(os::open_file(name)); }

bool FileUnit::open_for_reading(const char* name) { return adopt(os::open_file_for_reading(name)); }

bool FileUnit::open_stream_for_reading(const char* name) { return adopt(os::open_stream_for_reading(name)); }

bool FileUnit::open_for_writing(const char* name) { return adopt(os::open_file_for_writing(name)); }

bool FileUnit::adopt(os::File file) {
  if (file == os::kNoFile) return false;
  for (int i = 0; i < kMaxFiles; ++i) {
    if (open_files[i].file == os::kNoFile) {
      open_files[i] = {file, false, open_files[i].serial + 1};
      slot_ = i;
      serial_ = open_files[i].serial;
      begin_ = end_ = 0;
      at_end_ = ended_without_newline_ = false;
      return true;
    }
  }
  os::close_file(file);
  return false;
}

bool FileUnit::write(std::string_view bytes) {
  if (discarding_) return true;
  OpenFile& file = open_files[slot_];
  if (!file.written) {
    if (!os::drop_old_content(file.file, bytes.size())) return false;
    file.written = true;
  }
  return os::write_file(file.file, bytes);
}

int FileUnit::fill() {
  if (begin_ < end_) return static_cast<unsigned char>(buffer_[begin_]);
  if (at_end_) return -1;
  const long n = os::read_file(open_files[slot_].file, buffer_.data(), buffer_.size());
  if (n < 0) return -2;
  if (n == 0) {
    at_end_ = true;
    return -1;
  }
  begin_ = 0;
  end_ = static_cast<std::size_t>(n);
  return static_cast<unsigned char>(buffer_[0]);
}

FileUnit::ReadResult FileUnit::read_line(Line& line) {
  line.length = 0;
  line.cut = false;
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
    if (line.length < kLineWidth) {
      line.columns[line.length++] = static_cast<char>(c);
      carriage_return = c == '\r';
    } else {
      line.cut = true;
    }
  }
  if (carriage_return) --line.length;
  return ReadResult::kRecord;
}

FileUnit::ReadResult FileUnit::read_line(std::string& line, std::size_t limit, bool& cut) {
  line.clear();
  cut = false;
  for (bool any = false;; any = true) {
    const int c = fill();
    if (c == -2) return ReadResult::kError;
    if (c == -1) {
      if (!any) return ReadResult::kEnd;
      ended_without_newline_ = true;
      break;
    }
    // What the buffer holds of the line, up to its end.
    const char* from = buffer_.data() + begin_;
    const auto* newline = static_cast<const char*>(std::memchr(from, '\n', end_ - begin_));
    const auto size = static_cast<std::size_t>((newline != nullptr ? newline : buffer_.data() + end_) - from);
    if (!cut && line.size() + size <= limit) {
      line.append(from, size);
    } else {
      cut = true;
      line.clear();
    }
    begin_ += size;
    if (newline != nullptr) {
      ++begin_;
      break;
    }
  }
  if (line.ends_with('\r')) line.pop_back();
  return ReadResult::kRecord;
}

FileUnit::ReadResult FileUnit::read_a50(Record50& record) {
  Line line;
  const ReadResult result = read_line(line);
  record.fill(' ');
  std::copy_n(line.columns.begin(), std::min(line.length, kRecordWidth), record.begin());
  return result;
}

bool FileUnit::append_line(std::string_view line) {
  const os::File file = open_files[slot_].file;
  const std::int64_t old_size = os::seek_end(file);
  if (old_size < 0) return false;
  std::string text;
  text.reserve(line.size() + 2);
  if (ended_without_newline_) text += '\n';
  text.append(line);
  text += '\n';
  if (os::write_file(file, text)) return true;
  (void)os::truncate(file, old_size);
  return false;
}

bool FileUnit::append_line_at_end(std::string_view line) {
  const os::File file = open_files[slot_].file;
  const std::int64_t size = os::seek_end(file);
  char last = '\n';
  if (size > 0 && os::seek(file, size - 1) && os::read_file(file, &last, 1) != 1) last = '\n';
  ended_without_newline_ = last != '\n';
  return append_line(line);
}

void FileUnit::lock_exclusive() { os::lock_exclusive(open_files[slot_].file); }

void FileUnit::unlock() { os::unlock(open_files[slot_].file); }

std::optional<os::FileId> FileUnit::id() const {
  if (slot_ < 0 || open_files[slot_].serial != serial_ || open_files[slot_].file == os::kNoFile) return std::nullopt;
  return os::file_id(open_files[slot_].file);
}

namespace {

void close_file(OpenFile& file) {
  if (file.written) {
    const std::int64_t end = os::position(file.file);
    if (end >= 0) (void)os::truncate(file.file, end);
  }
  os::close_file(file.file);
  file = OpenFile{os::kNoFile, false, file.serial};
}

}  // namespace

void FileUnit::close() {
  discarding_ = false;
  if (slot_ >= 0 && open_files[slot_].serial == serial_ && open_files[slot_].file != os::kNoFile) {
    close_file(open_files[slot_]);
  }
  slot_ = -1;
}

namespace {

// The path a name leads to, links followed, also to a file not yet there.
std::filesystem::path resolved(const char* name) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  for (int links = 0; links < 40 && fs::is_symlink(path, error); ++links) {
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return fs::weakly_canonical(path, error);
}

}  // namespace

bool same_file(const char* a, const char* b) {
  if (resolved(a) == resolved(b)) return true;
  const std::optional<os::FileId> id_a = os::file_id_of(a);
  return id_a && id_a == os::file_id_of(b);
}

void close_all_units() {
  for (OpenFile& file : open_files) {
    if (file.file != os::kNoFile) close_file(file);
  }
}

}  // namespace runtime
