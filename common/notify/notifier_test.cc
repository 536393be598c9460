#include "common/notify/notifier.h"

#include <gtest/gtest.h>

#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/recorders.h"

namespace quillon {
namespace {

class NotifierTest : public ::testing::Test {
 protected:
  FakeSystemInfo system_;
  RecordingProcessLauncher launcher_;
};

TEST_F(NotifierTest, ProgramsLieBesideTheRunningProgram) {
  system_.program_path = "/srv/q/bin/TALVENSV";
  EXPECT_EQ(MsProgramPath(&system_), "/srv/q/bin/TALVENMS");
  EXPECT_EQ(MiProgramPath(&system_), "/srv/q/bin/TALVENMI");
}

TEST_F(NotifierTest, PreWarningForRaid3WithTheExactCommandLine) {
  const std::string text = "\"It is 5 days till the operating life time.\nPlease act.\"";
  ASSERT_TRUE(LaunchMsItem(&system_, &launcher_, text, 3));
  auto calls = launcher_.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].command_line, "\"/opt/quillon/bin/TALVENMS\" " + text + " 3");
  EXPECT_EQ(calls[0].working_directory, "");
  EXPECT_FALSE(calls[0].waited);
  // The quoted text with its line feed travels as one argument.
  auto args = SplitCommandLine(calls[0].command_line);
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0], "/opt/quillon/bin/TALVENMS");
  EXPECT_EQ(args[1], "It is 5 days till the operating life time.\nPlease act.");
  EXPECT_EQ(args[2], "3");
}

TEST_F(NotifierTest, EachOperationPicksItsProgramAndForm) {
  EXPECT_TRUE(LaunchMs(&system_, &launcher_, "\"limit\""));
  EXPECT_TRUE(LaunchMi(&system_, &launcher_, "a \"b\" c"));
  EXPECT_TRUE(LaunchMiItem(&system_, &launcher_, "\"pre\"", 19));
  auto calls = launcher_.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].command_line, "\"/opt/quillon/bin/TALVENMS\" \"limit\"");
  // Verbatim: the launcher adds no quoting of its own.
  EXPECT_EQ(calls[1].command_line, "\"/opt/quillon/bin/TALVENMI\" a \"b\" c");
  EXPECT_EQ(calls[2].command_line, "\"/opt/quillon/bin/TALVENMI\" \"pre\" 19");
}

TEST_F(NotifierTest, MissingProgramGivesFalse) {
  launcher_.FailProgram("/opt/quillon/bin/TALVENMS", kErrorNotFound);
  EXPECT_FALSE(LaunchMs(&system_, &launcher_, "\"x\""));
  EXPECT_FALSE(LaunchMsItem(&system_, &launcher_, "\"x\"", 0));
  EXPECT_TRUE(LaunchMi(&system_, &launcher_, "\"x\""));
}

}  // namespace
}  // namespace quillon
