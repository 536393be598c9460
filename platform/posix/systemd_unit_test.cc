#include "platform/posix/systemd_unit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// The unit's lines of one section, "Key=value" each, in order.
std::vector<std::string> Section(const std::string& text, const std::string& name) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') {
      inside = line == "[" + name + "]";
    } else if (inside && !line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

TEST(UnitFileTextTest, NotifyServiceRestartedAfterACrashAndStartedAtBoot) {
  const std::string text = UnitFileText("TALVEN", "/opt/quillon/bin/TALVENSV", UnitSandbox{});
  EXPECT_THAT(
      Section(text, "Unit"),
      ElementsAre("Description=TALVEN", "StartLimitIntervalSec=10min", "StartLimitBurst=5"));
  const std::vector<std::string> service = Section(text, "Service");
  ASSERT_GE(service.size(), 5u);
  EXPECT_EQ(service[0], "Type=notify");
  EXPECT_EQ(service[1], "ExecStart=\"/opt/quillon/bin/TALVENSV\"");
  EXPECT_EQ(service[2], "Restart=on-failure");
  EXPECT_THAT(service, testing::Contains("TimeoutStopSec=20s"));
  EXPECT_THAT(Section(text, "Install"), ElementsAre("WantedBy=multi-user.target"));
}

TEST(UnitFileTextTest, SandboxOpensOnlyTheNamedDirectoriesAndGroups) {
  const std::string text = UnitFileText(
      "TALVEN", "/opt/quillon/bin/TALVENSV",
      UnitSandbox{{"/opt/quillon/bin", "/var/lib/my store", "/run/quillon"}, {"tty", "quillon"}});
  for (const char* line :
       {"ProtectSystem=strict\n", "ProtectHome=yes\n", "PrivateTmp=yes\n", "NoNewPrivileges=yes\n",
        "RestrictAddressFamilies=AF_UNIX\n", "SystemCallFilter=@system-service\n",
        "ReadWritePaths=-\"/opt/quillon/bin\" -\"/var/lib/my store\" -\"/run/quillon\"\n",
        "SupplementaryGroups=tty quillon\n"}) {
    EXPECT_THAT(text, HasSubstr(line));
  }
  const std::string bare = UnitFileText("TALVEN", "/opt/quillon/bin/TALVENSV", UnitSandbox{});
  EXPECT_THAT(bare, Not(HasSubstr("ReadWritePaths=")));
  EXPECT_THAT(bare, Not(HasSubstr("SupplementaryGroups=")));
}

TEST(UnitFileTextTest, PathsAreQuotedAndEscaped) {
  const std::string text =
      UnitFileText("50% \"x\"", "/opt/my dir/a\"b\\c%d$e\nf", UnitSandbox{{"/var/a%b$c"}, {}});
  EXPECT_THAT(text, HasSubstr("Description=50%% \"x\"\n"));
  EXPECT_THAT(text, HasSubstr("ExecStart=\"/opt/my dir/a\\\"b\\\\c%%d$$e\\x0af\"\n"));
  EXPECT_THAT(text, HasSubstr("ReadWritePaths=-\"/var/a%%b$c\"\n"));
}

TEST(MachineUnitSandboxTest, WritableAreTheProgramStoreAndRuntimeDirectories) {
  setenv("QUILLON_REGISTRY", "/srv/q/registry.db", 1);
  setenv("QUILLON_RUNTIME_DIR", "/run/q/", 1);
  const UnitSandbox sandbox = MachineUnitSandbox("/opt/quillon/bin/TALVENSV");
  unsetenv("QUILLON_REGISTRY");
  unsetenv("QUILLON_RUNTIME_DIR");
  EXPECT_THAT(sandbox.writable_dirs, ElementsAre("/opt/quillon/bin", "/srv/q", "/run/q"));
  // Debian always has "tty"; "quillon" only where the package made it.
  EXPECT_THAT(sandbox.supplementary_groups, testing::Contains("tty"));
}

}  // namespace
}  // namespace quillon
