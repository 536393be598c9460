#include "platform/posix/file_trace_sink.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/fakes/fake_clock.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class FileTraceSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
    path_ = dir_ + "/ORNALOG.TXT";
  }

  static std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Writer `w` appends "w<w> n<i> <padding>" for i = 0..count-1.
  static void Write(FileTraceSink* sink, const std::string& path, int w, int count) {
    for (int i = 0; i < count; ++i) {
      sink->Append(path, "w" + std::to_string(w) + " n" + std::to_string(i) + " " +
                             std::string(40 + (i % 7) * 13, 'x'));
    }
  }

  TempDir temp_{"quillon-trace-"};
  std::string dir_;
  std::string path_;
};

TEST_F(FileTraceSinkTest, LineHasLocalTimeIdsAndMessage) {
  FakeClock clock(LocalDateTime{2026, 3, 4, 5, 6, 7, 89});
  FileTraceSink sink(&clock);
  ASSERT_EQ(sink.Append(path_, "*** TALVEN SERVICE START ***"), 0);
  ASSERT_EQ(sink.Append(path_, "two\nlines"), 0);
  auto lines = Lines(path_);
  ASSERT_EQ(lines.size(), 2u);
  std::string ids = "[" + std::to_string(getpid()) + ":" + std::to_string(gettid()) + "] ";
  EXPECT_EQ(lines[0], "2026/03/04 05:06:07.089 " + ids + "*** TALVEN SERVICE START ***");
  EXPECT_EQ(lines[1], "2026/03/04 05:06:07.089 " + ids + "two lines");
}

TEST_F(FileTraceSinkTest, ReportsUnwritablePath) {
  FileTraceSink sink;
  EXPECT_NE(sink.Append(dir_ + "/missing/ORNALOG.TXT", "x"), 0);
}

// Threads of two processes write at once; every line arrives whole, exactly once.
TEST_F(FileTraceSinkTest, ConcurrentWritersNeverInterleave) {
  constexpr int kLines = 400;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileTraceSink sink;
    Write(&sink, path_, 9, kLines);
    _exit(0);
  }
  FileTraceSink sink;
  std::vector<std::thread> threads;
  for (int w = 0; w < 3; ++w) threads.emplace_back(Write, &sink, path_, w, kLines);
  for (auto& t : threads) t.join();
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);

  const std::regex line_re(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3} \[\d+:\d+\] w(\d) n(\d+) x+)");
  std::map<int, std::vector<int>> seen;
  for (const std::string& line : Lines(path_)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, line_re)) << line;
    seen[std::stoi(m[1])].push_back(std::stoi(m[2]));
  }
  ASSERT_EQ(seen.size(), 4u);
  for (auto& [w, numbers] : seen) {
    ASSERT_EQ(numbers.size(), static_cast<size_t>(kLines)) << w;
    for (int i = 0; i < kLines; ++i) EXPECT_EQ(numbers[i], i) << w;
  }
}

// A writer that was waiting for the lock while another one rotated the file writes to the new
// file, not into the backup that the next rotation would delete.
TEST_F(FileTraceSinkTest, WaiterAfterRotationWritesToTheNewFile) {
  FileTraceSink sink;
  ASSERT_EQ(sink.Append(path_, "first"), 0);
  int held = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  struct stat st {};
  ASSERT_EQ(fstat(held, &st), 0);

  std::thread writer([&] { sink.Append(path_, "second"); });
  // Wait until the writer blocks on the lock of this very file (a "->" line in /proc/locks).
  char inode[32];
  std::snprintf(inode, sizeof(inode), ":%lu ", static_cast<unsigned long>(st.st_ino));
  bool waiting = false;
  for (int i = 0; i < 5000 && !waiting; ++i) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
      if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos) {
        waiting = true;
      }
    }
    if (!waiting) usleep(1000);
  }
  ASSERT_EQ(rename(path_.c_str(), (dir_ + "/ORNALOG.BAK").c_str()), 0);
  flock(held, LOCK_UN);
  close(held);
  writer.join();
  ASSERT_TRUE(waiting);

  auto current = Lines(path_);
  auto backup = Lines(dir_ + "/ORNALOG.BAK");
  ASSERT_EQ(current.size(), 1u);
  EXPECT_TRUE(current[0].ends_with("] second"));
  ASSERT_EQ(backup.size(), 1u);
  EXPECT_TRUE(backup[0].ends_with("] first"));
}

// With rotation under way, the backup followed by the current file holds, for every writer,
// an unbroken run of its lines up to its last one: nothing between them was lost.
TEST_F(FileTraceSinkTest, RotationUnderConcurrentWritersLosesNothing) {
  constexpr uint64_t kRotate = 16 * 1024;
  constexpr int kLines = 600;
  FakeClock clock;
  FileTraceSink sink(&clock, kRotate);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileTraceSink own(&clock, kRotate);
    Write(&own, path_, 9, kLines);
    _exit(0);
  }
  std::vector<std::thread> threads;
  for (int w = 0; w < 2; ++w) threads.emplace_back(Write, &sink, path_, w, kLines);
  for (auto& t : threads) t.join();
  ASSERT_EQ(waitpid(child, nullptr, 0), child);

  const std::string backup = dir_ + "/ORNALOG.BAK";
  struct stat st {};
  ASSERT_EQ(stat(backup.c_str(), &st), 0);
  EXPECT_GT(static_cast<uint64_t>(st.st_size), kRotate);
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_LE(static_cast<uint64_t>(st.st_size), kRotate + 200);

  std::vector<std::string> lines = Lines(backup);
  for (const std::string& l : Lines(path_)) lines.push_back(l);
  const std::regex line_re(R"(.*\] w(\d) n(\d+) x+)");
  std::map<int, std::vector<int>> seen;
  for (const std::string& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, line_re)) << line;
    seen[std::stoi(m[1])].push_back(std::stoi(m[2]));
  }
  for (auto& [w, numbers] : seen) {
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.back(), kLines - 1) << w;
    for (size_t i = 1; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], numbers[i - 1] + 1) << w;
  }
}

}  // namespace
}  // namespace quillon
