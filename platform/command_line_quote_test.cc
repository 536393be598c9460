#include "platform/command_line_quote.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/process_launcher.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;

TEST(QuoteCommandLineArgumentTest, PlainPathsStayAsTheyAre) {
  EXPECT_EQ(QuoteCommandLineArgument("/opt/quillon/bin/TALVENSV"), "/opt/quillon/bin/TALVENSV");
  EXPECT_EQ(QuoteCommandLineArgument("C:\\App\\TALVENSV.EXE"), "C:\\App\\TALVENSV.EXE");
}

TEST(QuoteCommandLineArgumentTest, EveryArgumentSurvivesTheSplit) {
  for (const std::string arg :
       {"/opt/my tools/TALVENSV", "", "a\"b", "trailing\\", "dir with space\\", "x\\\"y",
        "\\\\server\\share\\a b\\", "tab\there", "\"", "\\\\\""}) {
    const std::string line = QuoteCommandLineArgument(arg) + " -install";
    EXPECT_THAT(SplitCommandLine(line), ElementsAre(arg, "-install")) << line;
  }
}

}  // namespace
}  // namespace quillon
