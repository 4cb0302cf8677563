#pragma once
// A fresh directory under /tmp for one test, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pibench-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::filesystem::path path_;
};
