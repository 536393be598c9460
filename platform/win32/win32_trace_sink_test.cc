#include "platform/win32/win32_trace_sink.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "platform/fakes/fake_clock.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

class Win32TraceSinkTest : public ::testing::Test {
 protected:
  Win32TraceSinkTest()
      : dir_(TempFilesDirectory() + "quillon_trace_" + std::to_string(GetCurrentProcessId()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    MakeDirectory(dir_);
  }
  ~Win32TraceSinkTest() override {
    DeleteFileA((dir_ + "\\ORNALOG.TXT").c_str());
    DeleteFileA((dir_ + "\\ORNALOG.BAK").c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  std::vector<std::string> Lines(const char* file) {
    std::ifstream in(dir_ + "\\" + file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string dir_;
};

TEST_F(Win32TraceSinkTest, LinesOfManyThreadsStayWhole) {
  Win32TraceSink sink;
  const std::string path = dir_ + "\\ORNALOG.TXT";
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        std::ostringstream message;
        message << "thread " << t << " line\n" << i;
        EXPECT_EQ(sink.Append(path, message.str()), 0);
      }
    });
  }
  for (auto& t : threads) t.join();
  std::vector<std::string> lines = Lines("ORNALOG.TXT");
  ASSERT_EQ(lines.size(), 200u);
  std::ostringstream pid_text;
  pid_text << "[" << GetCurrentProcessId() << ":";
  const std::string pid = pid_text.str();
  for (const std::string& line : lines) {
    EXPECT_EQ(line.size() > 24 && line[4] == '/' && line[19] == '.', true) << line;
    EXPECT_NE(line.find(pid), std::string::npos) << line;
    EXPECT_NE(line.find(" line "), std::string::npos) << line;  // the break became a space
  }
}

TEST_F(Win32TraceSinkTest, RotatesPastTheSizeIntoTheBackup) {
  FakeClock clock(LocalDateTime{2026, 12, 9, 1, 2, 3, 4});
  Win32TraceSink small(&clock, 100);
  const std::string path = dir_ + "\\ORNALOG.TXT";
  ASSERT_EQ(small.Append(path, std::string(120, 'a')), 0);  // over the size: rotated at once
  ASSERT_EQ(small.Append(path, "fresh"), 0);
  std::vector<std::string> backup = Lines("ORNALOG.BAK");
  std::vector<std::string> current = Lines("ORNALOG.TXT");
  ASSERT_EQ(backup.size(), 1u);
  EXPECT_NE(backup[0].find(std::string(120, 'a')), std::string::npos);
  ASSERT_EQ(current.size(), 1u);
  EXPECT_EQ(current[0].substr(0, 24), "2026/12/09 01:02:03.004 ");
  EXPECT_NE(current[0].find("fresh"), std::string::npos);
}

}  // namespace
}  // namespace quillon
