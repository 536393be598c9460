#include "platform/posix/desktop_entry_links.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/file_system.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

using ::testing::HasSubstr;

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class DesktopEntryLinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    root_ = temp_.path();
  }

  ShellLink GuiLink() const {
    ShellLink link;
    link.name = "Quillon";
    link.description = "Quillon";
    link.target = "/opt/quillon/bin/TALVENUI";
    link.working_directory = "/opt/quillon/bin/";
    link.icon_path = link.target;
    link.show_command = 6;
    return link;
  }

  TempDir temp_{"desktop_entry_test."};
  std::string root_;
};

TEST_F(DesktopEntryLinksTest, WritesBothFoldersCreatingMissingDirectories) {
  DesktopEntryLinks links(root_ + "/share/applications", root_ + "/home/.config/autostart/");
  ASSERT_EQ(links.Create(LinkFolder::kCommonPrograms, GuiLink()), kOk);
  ShellLink startup = GuiLink();
  startup.name = "TALVEN StartUp";
  startup.description = "Quillon StartUp";
  startup.target = "/opt/quillon/bin/TALVENSU";
  ASSERT_EQ(links.Create(LinkFolder::kUserStartup, startup), kOk);

  const std::string app = ReadFile(root_ + "/share/applications/Quillon.desktop");
  EXPECT_EQ(app,
            "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Quillon\nComment=Quillon\n"
            "TryExec=/opt/quillon/bin/TALVENUI\nExec=/opt/quillon/bin/TALVENUI\n"
            "Path=/opt/quillon/bin/\nTerminal=false\nCategories=System;Monitor;\n");
  const std::string autostart = ReadFile(root_ + "/home/.config/autostart/TALVEN StartUp.desktop");
  EXPECT_THAT(autostart, HasSubstr("\nName=Quillon StartUp\n"));
  EXPECT_THAT(autostart, HasSubstr("\nTryExec=/opt/quillon/bin/TALVENSU\n"));
  EXPECT_THAT(autostart, HasSubstr("\nExec=/opt/quillon/bin/TALVENSU\n"));
  EXPECT_THAT(autostart, ::testing::Not(HasSubstr("Categories")));

  struct stat st;
  ASSERT_EQ(stat((root_ + "/share/applications/Quillon.desktop").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  // Nothing but the two entries is left behind.
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root_)) {
    if (e.is_regular_file()) ++files;
  }
  EXPECT_EQ(files, 2);
}

TEST_F(DesktopEntryLinksTest, ReplacesAnExistingEntry) {
  DesktopEntryLinks links(root_ + "/apps", root_ + "/auto");
  ASSERT_EQ(links.Create(LinkFolder::kCommonPrograms, GuiLink()), kOk);
  ShellLink changed = GuiLink();
  changed.target = "/srv/q/TALVENUI";
  ASSERT_EQ(links.Create(LinkFolder::kCommonPrograms, changed), kOk);
  EXPECT_THAT(ReadFile(root_ + "/apps/Quillon.desktop"), HasSubstr("\nExec=/srv/q/TALVENUI\n"));
}

TEST(DesktopEntryTextTest, ExecQuotesReservedCharactersAndEscapesForTheFile) {
  ShellLink link;
  link.name = "x";
  link.target = "/opt/my tools/100% \"q\"/TALVENUI";
  link.arguments = "-a \"b c\"";
  link.working_directory = "/opt/my tools/";
  const std::string text = DesktopEntryText(LinkFolder::kCommonPrograms, link);
  // Inside the quotes '"' becomes \" and the file's own escape doubles that backslash.
  EXPECT_THAT(text,
              HasSubstr("\nExec=\"/opt/my tools/100%% \\\\\"q\\\\\"/TALVENUI\" -a \"b c\"\n"));
  EXPECT_THAT(text, HasSubstr("\nPath=/opt/my tools/\n"));
  EXPECT_THAT(text, HasSubstr("\nName=x\n"));  // no description: the name

  link.target = "/opt/a\\b/T";
  EXPECT_THAT(DesktopEntryText(LinkFolder::kCommonPrograms, link),
              HasSubstr("\nExec=\"/opt/a\\\\\\\\b/T\" -a"));
}

TEST_F(DesktopEntryLinksTest, FailuresLeaveNothingBehind) {
  const std::string file = root_ + "/plainfile";
  std::ofstream(file) << "x";
  DesktopEntryLinks links(file + "/apps", "relative/autostart");
  EXPECT_EQ(links.Create(LinkFolder::kCommonPrograms, GuiLink()), kErrorPathNotFound);
  EXPECT_EQ(links.Create(LinkFolder::kUserStartup, GuiLink()), kErrorPathNotFound);
  DesktopEntryLinks good(root_ + "/apps", root_ + "/auto");
  ShellLink bad = GuiLink();
  bad.name = "../escape";
  EXPECT_EQ(good.Create(LinkFolder::kCommonPrograms, bad), kErrorInvalidParameter);
  EXPECT_FALSE(std::filesystem::exists(root_ + "/escape.desktop"));
}

TEST_F(DesktopEntryLinksTest, DirectoriesComeFromTheEnvironment) {
  ScopedEnv apps("QUILLON_APPLICATIONS_DIR", root_ + "/a");
  ScopedEnv config("XDG_CONFIG_HOME", root_ + "/cfg");
  DesktopEntryLinks links = DesktopEntryLinks::FromEnvironment();
  EXPECT_EQ(links.EntryPath(LinkFolder::kCommonPrograms, GuiLink()), root_ + "/a/Quillon.desktop");
  EXPECT_EQ(links.EntryPath(LinkFolder::kUserStartup, GuiLink()),
            root_ + "/cfg/autostart/Quillon.desktop");
  {
    ScopedEnv no_apps("QUILLON_APPLICATIONS_DIR", "");
    ScopedEnv relative("XDG_CONFIG_HOME", "cfg");
    ScopedEnv home("HOME", root_ + "/home");
    DesktopEntryLinks defaults = DesktopEntryLinks::FromEnvironment();
    EXPECT_EQ(defaults.EntryPath(LinkFolder::kCommonPrograms, GuiLink()),
              "/usr/share/applications/Quillon.desktop");
    EXPECT_EQ(defaults.EntryPath(LinkFolder::kUserStartup, GuiLink()),
              root_ + "/home/.config/autostart/Quillon.desktop");
  }
}

}  // namespace
}  // namespace quillon
