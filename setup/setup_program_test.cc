#include "setup/setup_program.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "common/settings/schema.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "platform/process_launcher.h"
#include "setup/directory_chain.h"
#include "setup/setup_log.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordingShellLinks : public ShellLinks {
 public:
  struct Made {
    LinkFolder folder;
    ShellLink link;
  };
  bool HasFolder(LinkFolder folder) override {
    return folder == LinkFolder::kCommonPrograms || has_startup;
  }
  Status Create(LinkFolder folder, const ShellLink& link) override {
    made.push_back({folder, link});
    return fail_with;
  }
  bool has_startup = true;
  Status fail_with = kOk;
  std::vector<Made> made;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The texts of a log file, each line without its time stamp and tag.
std::vector<std::string> LogTexts(const std::string& path) {
  std::vector<std::string> texts;
  std::istringstream in(ReadFile(path));
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find("\"(TALVENU2)\"\t");
    texts.push_back(tab == std::string::npos ? "<bad line> " + line : line.substr(tab + 13));
  }
  return texts;
}

class SetupProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    root_ = temp_.path();
    program_dir_ = root_ + "/opt/quillon/bin/";
    std::filesystem::create_directories(program_dir_);
    std::filesystem::create_directories(root_ + "/tmp");
    system_.program_path = program_dir_ + "TALVENU2";
    env_.store = &store_;
    env_.system = &system_;
    env_.launcher = &launcher_;
    env_.clock = &clock_;
    env_.links = &links_;
    env_.temp_files_directory = root_ + "/tmp/";
    env_.errors = &errors_;
  }

  int Run(const std::vector<std::string>& args) { return RunSetup(args, env_); }
  std::string DefaultLog() const { return root_ + "/tmp/TALVENUP.LOG"; }
  std::vector<std::string> CommandLines() {
    std::vector<std::string> out;
    for (const auto& call : launcher_.calls()) {
      out.push_back(call.command_line + (call.waited ? " [waited]" : " [not waited]"));
    }
    return out;
  }

  TempDir temp_{"setup_program_test."};
  std::string root_;
  std::string program_dir_;
  MemoryStore store_;
  FakeSystemInfo system_;
  RecordingProcessLauncher launcher_;
  FakeClock clock_{LocalDateTime{2011, 5, 6, 14, 3, 9, 0}};
  RecordingShellLinks links_;
  std::ostringstream errors_;
  SetupEnvironment env_;
};

TEST_F(SetupProgramTest, AFullRunFillsTheStoreRegistersTheServiceAndMakesBothLinks) {
  EXPECT_EQ(Run({"/S"}), 0);

  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID"), 26280u);
  EXPECT_EQ(store_.GetText(kRootKey, "TempDir"), program_dir_ + "Temp/");
  EXPECT_THAT(CommandLines(), ElementsAre(program_dir_ + "TALVENSV -remove [waited]",
                                          program_dir_ + "TALVENSV -install [waited]"));
  ASSERT_EQ(links_.made.size(), 2u);
  const ShellLink& menu = links_.made[0].link;
  EXPECT_EQ(links_.made[0].folder, LinkFolder::kCommonPrograms);
  EXPECT_EQ(menu.name, "Quillon");
  EXPECT_EQ(menu.description, "Quillon");
  EXPECT_EQ(menu.target, program_dir_ + "TALVENUI");
  EXPECT_EQ(menu.working_directory, program_dir_);
  EXPECT_EQ(menu.arguments, "");
  EXPECT_EQ(menu.show_command, 6);
  const ShellLink& startup = links_.made[1].link;
  EXPECT_EQ(links_.made[1].folder, LinkFolder::kUserStartup);
  EXPECT_EQ(startup.name, "TALVEN StartUp");
  EXPECT_EQ(startup.description, "Quillon StartUp");
  EXPECT_EQ(startup.target, program_dir_ + "TALVENSU");
  EXPECT_EQ(startup.working_directory, program_dir_);

  EXPECT_EQ(ReadFile(DefaultLog()),
            "2011/05/06 14:03:09\"(TALVENU2)\"\tTALVENU2.EXE start.\n"
            "2011/05/06 14:03:09\"(TALVENU2)\"\tTALVENU2.EXE complete.\n");
  EXPECT_THAT(clock_.sleeps(), ElementsAre(100u, 100u));
  EXPECT_EQ(errors_.str(), "");
}

TEST_F(SetupProgramTest, NoArgumentPrintsTheMessageAndDoesNothingElse) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_EQ(errors_.str(), "Quillon Setup - TALVENU2: パラメータの指定に誤りがあります。\n");
  EXPECT_EQ(store_.write_count(), 0);
  EXPECT_THAT(launcher_.calls(), IsEmpty());
  EXPECT_THAT(links_.made, IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(DefaultLog()));
}

TEST_F(SetupProgramTest, LogPathAfterF2IsCreatedWithItsDirectories) {
  const std::string log = root_ + "/logs/setup/today.log";
  EXPECT_EQ(Run({"-f2" + log}), 0);
  EXPECT_THAT(LogTexts(log), ElementsAre("TALVENU2.EXE start.", "TALVENU2.EXE complete."));
  EXPECT_FALSE(std::filesystem::exists(DefaultLog()));
  // A second run appends.
  EXPECT_EQ(Run({"x", "-f2" + log}), 0);
  EXPECT_EQ(LogTexts(log).size(), 4u);
}

TEST(LogPathFromArgumentsTest, RestOfTheLineAfterTheFirstF2) {
  EXPECT_EQ(LogPathFromArguments({"-f2/var/log/setup.log"}), "/var/log/setup.log");
  EXPECT_EQ(LogPathFromArguments({"-f2", "/var/log/setup.log"}), " /var/log/setup.log");
  EXPECT_EQ(LogPathFromArguments({"a", "b-f2c", "d -f2e"}), "c d -f2e");
  EXPECT_EQ(LogPathFromArguments({"-f2"}), "");
  EXPECT_EQ(LogPathFromArguments({"-F2/x"}), std::nullopt);  // as written, lower case
  EXPECT_EQ(LogPathFromArguments({"/S"}), std::nullopt);
}

TEST_F(SetupProgramTest, ALogDirectoryThatCannotBeMadeStopsBeforeTheService) {
  // A directory name longer than any file system allows.
  const std::string log = root_ + "/" + std::string(300, 'd') + "/setup.log";
  // The status of the failed step: "name too long" (206) on Linux; Wine reports "path not
  // found" (3).
  EXPECT_THAT(Run({"-f2" + log}), AnyOf(206, 3));
  // The settings are still written; the service and the links are left alone, and there is
  // no log anywhere.
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID"), 26280u);
  EXPECT_THAT(launcher_.calls(), IsEmpty());
  EXPECT_THAT(links_.made, IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(DefaultLog()));
}

TEST_F(SetupProgramTest, AProgramDirectoryThatCannotBeMadeIsLoggedAndStopsBeforeTheService) {
  std::ofstream(root_ + "/blocker") << "a file where a directory should be";
  system_.program_path = root_ + "/blocker/bin/TALVENU2";
  EXPECT_EQ(Run({"/S"}), 3);  // the path-not-found status of the failed directory
  EXPECT_THAT(LogTexts(DefaultLog()),
              ElementsAre("TALVENU2.EXE start.", "Directory Error. Can not make directory."));
  EXPECT_THAT(launcher_.calls(), IsEmpty());
  EXPECT_THAT(links_.made, IsEmpty());
}

TEST_F(SetupProgramTest, AStoreThatCannotBeWrittenGivesExitCode3AndNoServiceRun) {
  FailingStore failing(&store_);
  failing.FailAll(kErrorAccessDenied);
  env_.store = &failing;
  EXPECT_EQ(Run({"/S"}), 3);
  EXPECT_THAT(LogTexts(DefaultLog()),
              ElementsAre("TALVENU2.EXE start.", "Registry Error. Can not set data to registry."));
  EXPECT_THAT(launcher_.calls(), IsEmpty());
  EXPECT_THAT(links_.made, IsEmpty());
}

TEST_F(SetupProgramTest, AMissingServiceProgramGivesExitCode3AndNoLinks) {
  launcher_.FailProgram(program_dir_ + "TALVENSV", kErrorNotFound);
  EXPECT_EQ(Run({"/S"}), 3);
  EXPECT_THAT(CommandLines(), ElementsAre(program_dir_ + "TALVENSV -remove [waited]",
                                          program_dir_ + "TALVENSV -install [waited]"));
  EXPECT_THAT(LogTexts(DefaultLog()),
              ElementsAre("TALVENU2.EXE start.", "Start Error. Can not start TALVENSV.EXE."));
  EXPECT_THAT(links_.made, IsEmpty());
}

TEST_F(SetupProgramTest, ServiceExitCodesAndLinkFailuresDoNotChangeTheOutcome) {
  launcher_.SetExitCode(program_dir_ + "TALVENSV", 1);
  links_.fail_with = kErrorAccessDenied;
  EXPECT_EQ(Run({"/S"}), 0);
  EXPECT_EQ(links_.made.size(), 2u);
  EXPECT_THAT(LogTexts(DefaultLog()), ElementsAre("TALVENU2.EXE start.", "TALVENU2.EXE complete."));
}

TEST_F(SetupProgramTest, WithoutAStartupFolderOnlyTheMenuLinkIsMade) {
  links_.has_startup = false;
  EXPECT_EQ(Run({"/S"}), 0);
  ASSERT_EQ(links_.made.size(), 1u);
  EXPECT_EQ(links_.made[0].folder, LinkFolder::kCommonPrograms);
}

TEST_F(SetupProgramTest, JapaneseUserOnAnEnglishSystemGetsTheEnglishEntry) {
  system_.user_lang = 0x0411;
  system_.system_lang = 0x0409;
  EXPECT_EQ(Run({"/S"}), 0);
  EXPECT_EQ(store_.GetDword(kRootKey, "Language", 99), 1u);
  ASSERT_FALSE(links_.made.empty());
  EXPECT_EQ(links_.made[0].link.name, "Quillon");
}

TEST_F(SetupProgramTest, AProgramDirectoryWithBlanksStaysOneArgument) {
  program_dir_ = root_ + "/my programs/quillon/";
  system_.program_path = program_dir_ + "TALVENU2";
  EXPECT_EQ(Run({"/S"}), 0);
  ASSERT_EQ(launcher_.calls().size(), 2u);
  EXPECT_THAT(SplitCommandLine(launcher_.calls()[1].command_line),
              ElementsAre(program_dir_ + "TALVENSV", "-install"));
}

TEST_F(SetupProgramTest, NoTemporaryDirectoryMeansNoLogButTheSetupRuns) {
  env_.temp_files_directory.clear();
  EXPECT_EQ(Run({"/S"}), 0);
  EXPECT_EQ(launcher_.calls().size(), 2u);
}

TEST(SetupLogTest, LineFormat) {
  EXPECT_EQ(SetupLog::FormatLine({2011, 5, 6, 14, 3, 9, 500}, "TALVENU2.EXE start.\n"),
            "2011/05/06 14:03:09\"(TALVENU2)\"\tTALVENU2.EXE start.\n");
  EXPECT_EQ(SetupLog::FormatLine({2026, 12, 31, 0, 0, 0, 0}, "x"),
            "2026/12/31 00:00:00\"(TALVENU2)\"\tx");
}

TEST(DirectoryChainTest, CreatesEachDirectoryButNotTheFileName) {
  TempDir temp("directory_chain_test.");
  ASSERT_TRUE(temp.ok());
  const std::string& root = temp.path();
  EXPECT_EQ(CreateDirectoryChain(root + "/a/b/c/file.log"), kOk);
  EXPECT_TRUE(std::filesystem::is_directory(root + "/a/b/c"));
  EXPECT_FALSE(std::filesystem::exists(root + "/a/b/c/file.log"));
  EXPECT_EQ(CreateDirectoryChain(root + "/a/b/c/"), kOk);  // all there already
  EXPECT_EQ(CreateDirectoryChain("/"), kOk);

  // A relative path creates its first directory too.
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  ASSERT_FALSE(ec);
  std::filesystem::current_path(root, ec);
  ASSERT_FALSE(ec);
  EXPECT_EQ(CreateDirectoryChain("rel/sub/x.log"), kOk);
  std::filesystem::current_path(cwd, ec);
  ASSERT_FALSE(ec);
  EXPECT_TRUE(std::filesystem::is_directory(root + "/rel/sub"));

  std::ofstream(root + "/file") << "x";
  EXPECT_EQ(CreateDirectoryChain(root + "/file/sub/x.log"), 3u);
}

// A log path as the operator writes it on this OS (backslashes on Windows) gets its
// directories too.
TEST(DirectoryChainTest, FollowsTheSeparatorOfThisSystem) {
  TempDir temp("directory_chain_test.");
  ASSERT_TRUE(temp.ok());
  const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
  const std::string logs = temp.path() + sep + "Logs" + sep + "Setup" + sep;
  EXPECT_EQ(CreateDirectoryChain(logs + "TALVENUP.LOG"), kOk);
  EXPECT_TRUE(std::filesystem::is_directory(logs));
  EXPECT_FALSE(std::filesystem::exists(logs + "TALVENUP.LOG"));
}

}  // namespace
}  // namespace quillon
