#include "runtime/unit.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "tests/runtime/f2c_oracle.h"
#include "tests/runtime/scratch_dir.hpp"

namespace {

using runtime::FileUnit;

std::string last_record(const ScratchDir& dir, const std::string& name, int* records) {
  FileUnit unit;
  EXPECT_TRUE(unit.open((dir / name).c_str()));
  FileUnit::Record50 record, last;
  last.fill(' ');
  *records = 0;
  for (;;) {
    const auto r = unit.read_a50(record);
    if (r != FileUnit::ReadResult::kRecord) break;
    last = record;
    ++*records;
  }
  runtime::close_all_units();
  return std::string(last.data(), last.size());
}

TEST(FileUnit, A50ReadMatchesTheLibraryOnTerminatedLines) {
  SKIP_WITHOUT_FORMATTED_ORACLE();
  const ScratchDir dir;
  const std::vector<std::string> files{
      "MYBOX\n",
      "first\nDEC 3000-600s AXP alpha station\n",
      std::string(70, 'x') + "\n",
      std::string(50, 'y') + "\n",
      "a\n\n",
      "id\n" + std::string(49, 'z') + "\n",
      std::string("bin\x01\x7f\xff\n", 7),
      "caf\xc3\xa9 " + std::string(44, '-') + "\xc3\xa9tage\n",
  };
  for (const std::string& content : files) {
    dir.write("rec", content);
    char ref[50];
    const int ref_records = oracle_read_a50((dir / "rec").c_str(), ref);
    int records = 0;
    EXPECT_EQ(last_record(dir, "rec", &records), std::string(ref, 50)) << content;
    EXPECT_EQ(records, ref_records) << content;
  }
}

// Where the library leaves the record undefined or wrong: an empty file, an
// unterminated last line, a carriage return ending a line, a NUL byte.
TEST(FileUnit, A50ReadOfWhatTheLibraryLeavesOpen) {
  const ScratchDir dir;
  struct Case {
    std::string content;
    std::string record;
    int records;
  };
  const Case cases[] = {
      {"", std::string(50, ' '), 0},
      {"ONLY", "ONLY" + std::string(46, ' '), 1},
      {"one\ntwo", "two" + std::string(47, ' '), 2},
      {"win\r\n", "win" + std::string(47, ' '), 1},
      {"a\rb\n", "a\rb" + std::string(47, ' '), 1},
      {std::string(50, 'c') + "\r\n", std::string(50, 'c'), 1},
      {std::string("n\0l\n", 4), std::string("n\0l", 3) + std::string(47, ' '), 1},
      {std::string(10'000'000, 'L'), std::string(50, 'L'), 1},
  };
  for (const Case& c : cases) {
    dir.write("rec", c.content);
    int records = 0;
    EXPECT_EQ(last_record(dir, "rec", &records), c.record) << c.content.substr(0, 60);
    EXPECT_EQ(records, c.records) << c.content.substr(0, 60);
  }
}

TEST(FileUnit, WrittenFileIsCutAfterItsLastRecordAndAnUnwrittenOneKept) {
  const ScratchDir dir;
  dir.write("written", "old old old old old\n");
  dir.write("kept", "keep me\n");
  FileUnit written, kept;
  ASSERT_TRUE(written.open((dir / "written").c_str()));
  ASSERT_TRUE(kept.open((dir / "kept").c_str()));
  ASSERT_TRUE(written.write("new\n"));
  runtime::close_all_units();
  EXPECT_EQ(dir.read("written"), "new\n");
  EXPECT_EQ(dir.read("kept"), "keep me\n");
}

TEST(FileUnit, OpensMissingFilesAndRefusesDirectories) {
  const ScratchDir dir;
  FileUnit created, directory;
  EXPECT_TRUE(created.open((dir / "new").c_str()));
  std::filesystem::create_directory(dir / "sub");
  EXPECT_FALSE(directory.open((dir / "sub").c_str()));
  runtime::close_all_units();
  EXPECT_TRUE(std::filesystem::exists(dir / "new"));
}

TEST(FileUnit, AppendGoesInWholeAfterAnUnterminatedLine) {
  const ScratchDir dir;
  dir.write("rec", "MYBOX");
  FileUnit unit;
  ASSERT_TRUE(unit.open((dir / "rec").c_str()));
  FileUnit::Record50 record;
  while (unit.read_a50(record) == FileUnit::ReadResult::kRecord) {
  }
  EXPECT_TRUE(unit.append_line("MYBOX 1"));
  runtime::close_all_units();
  EXPECT_EQ(dir.read("rec"), "MYBOX\nMYBOX 1\n");
}

TEST(FileUnit, FailedAppendLeavesTheFileAsItWas) {
  const ScratchDir dir;
  dir.write("rec", "MYBOX");
  const std::string name = (dir / "rec").string();
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  const rlimit limit{8, old_limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limit);
  FileUnit unit;
  ASSERT_TRUE(unit.open(name.c_str()));
  FileUnit::Record50 record;
  while (unit.read_a50(record) == FileUnit::ReadResult::kRecord) {
  }
  EXPECT_FALSE(unit.append_line("MYBOX 1"));  // with the line end before it
  setrlimit(RLIMIT_FSIZE, &old_limit);
  runtime::close_all_units();
  EXPECT_EQ(dir.read("rec"), "MYBOX");
}

}  // namespace
