// The quillon-reg program end to end: the store named by QUILLON_REGISTRY, exit codes, and
// the two output streams, with no terminal attached.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

using ::testing::HasSubstr;

class RegProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
  }

  // Runs the program with `args` (shell words) on the store `db`, standard input from
  // /dev/null; returns the exit code and fills out_ and err_.
  int Run(const std::string& db, const std::string& args) {
    const std::string out_file = dir_ + "/out", err_file = dir_ + "/err";
    const std::string command = "QUILLON_REGISTRY='" + db + "' '" QUILLON_REG_PROGRAM "' " + args +
                                " </dev/null >'" + out_file + "' 2>'" + err_file + "'";
    int status = std::system(command.c_str());
    out_ = Slurp(out_file);
    err_ = Slurp(err_file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempDir temp_{"quillon-reg-main-"};
  std::string dir_, out_, err_;
};

TEST_F(RegProgramTest, UsesTheStoreNamedByTheEnvironment) {
  const std::string db = dir_ + "/var/registry.db";
  ASSERT_EQ(Run(db, "add 'HKLM\\SOFTWARE\\Morvath\\TALVEN' /v Language /t REG_DWORD /d 1"), 0)
      << err_;
  EXPECT_EQ(out_, "The operation completed successfully.\n");
  EXPECT_TRUE(std::filesystem::exists(db));
  ASSERT_EQ(Run(db, "query 'HKLM\\SOFTWARE\\Morvath\\TALVEN' /v language"), 0);
  EXPECT_EQ(out_,
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\n"
            "    language    REG_DWORD    0x1\n\n");
  // No terminal: delete needs /f.
  EXPECT_EQ(Run(db, "delete 'HKLM\\SOFTWARE\\Morvath'"), 1);
  EXPECT_THAT(err_, HasSubstr("needs /f"));
  EXPECT_EQ(Run(db, "delete 'HKLM\\SOFTWARE\\Morvath' /f"), 0);
  EXPECT_EQ(Run(db, "query 'HKLM\\SOFTWARE\\Morvath'"), 1);
  EXPECT_EQ(err_, "ERROR: The system was unable to find the specified registry key or value.\n");
}

TEST_F(RegProgramTest, DamagedStoreGivesOneClearLine) {
  const std::string db = dir_ + "/registry.db";
  std::ofstream(db, std::ios::binary) << std::string(3000, '\x01');
  EXPECT_EQ(Run(db, "query HKLM\\\\SOFTWARE"), 1);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(err_, "ERROR: The settings store " + db + " is not readable: file is not a database\n");
  EXPECT_EQ(Run(db, "bogus"), 1);
  EXPECT_THAT(err_, HasSubstr("Invalid operation"));
}

}  // namespace
}  // namespace quillon
