#include "launcher/launcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/recorders.h"

namespace quillon {
namespace {

TEST(LauncherTest, StartsTalvensuBesideItselfWithoutWaiting) {
  FakeSystemInfo system;
  system.program_path = "/opt/quillon/bin/TALVENST";
  RecordingProcessLauncher launcher;
  LaunchStartUpProgram(&system, &launcher);
  ASSERT_EQ(launcher.calls().size(), 1u);
  EXPECT_EQ(launcher.calls()[0].command_line, "/opt/quillon/bin/TALVENSU");
  EXPECT_EQ(launcher.calls()[0].working_directory, "");
  EXPECT_FALSE(launcher.calls()[0].waited);
}

TEST(LauncherTest, AFailedStartIsIgnored) {
  FakeSystemInfo system;
  system.program_path = "/opt/quillon/bin/TALVENST";
  RecordingProcessLauncher launcher;
  launcher.FailProgram("/opt/quillon/bin/TALVENSU", kErrorNotFound);
  LaunchStartUpProgram(&system, &launcher);
  EXPECT_EQ(launcher.calls().size(), 1u);
}

TEST(LauncherTest, ADirectoryWithBlanksStaysOneProgramPath) {
  EXPECT_THAT(SplitCommandLine(StartUpCommandLine("/opt/my apps/")),
              ::testing::ElementsAre("/opt/my apps/TALVENSU"));
}

TEST(LauncherTest, NoProgramDirectoryStartsNothing) {
  FakeSystemInfo system;
  system.program_path = "TALVENST";
  RecordingProcessLauncher launcher;
  LaunchStartUpProgram(&system, &launcher);
  EXPECT_TRUE(launcher.calls().empty());
}

}  // namespace
}  // namespace quillon
