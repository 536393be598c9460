#ifndef QUILLON_PLATFORM_TESTING_PROCESS_LAUNCHER_CONTRACT_H_
#define QUILLON_PLATFORM_TESTING_PROCESS_LAUNCHER_CONTRACT_H_

// What every ProcessLauncher (platform/process_launcher.h), real or recording, must agree on,
// as one typed GoogleTest suite: how a command line names its program, the statuses of a
// program that cannot start, the exit code, and RunUntil's stop. An implementation is tested
// by an environment type, default-constructible, that gives
//   ProcessLauncher* launcher();
//   std::string ProgramExiting(uint32_t code);  // a program path that ends with `code`
//   std::string MissingProgram();               // a program path that cannot be started
//   std::string LastingProgram();               // a program path that runs until ended
// Paths contain a space, so a command line must quote them. Instantiate with
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, ProcessLauncherContractTest, ::testing::Types<Env>);

#include <cstdint>
#include <string>

#include "gtest/gtest.h"
#include "platform/event.h"
#include "platform/process_launcher.h"

namespace quillon {

template <typename Env>
class ProcessLauncherContractTest : public ::testing::Test {
 protected:
  ProcessLauncher* launcher() { return env_.launcher(); }
  static std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

  Env env_;
};

TYPED_TEST_SUITE_P(ProcessLauncherContractTest);

TYPED_TEST_P(ProcessLauncherContractTest, RunReportsTheExitCodeOfTheQuotedProgram) {
  const std::string line = this->Quoted(this->env_.ProgramExiting(3)) + " first \"second arg\"";
  uint32_t code = 99;
  ASSERT_EQ(this->launcher()->Run(line, "", &code), kOk);
  EXPECT_EQ(code, 3u);
  // RunUntil without a stop, or with one that is never signalled, is Run.
  code = 99;
  ASSERT_EQ(this->launcher()->RunUntil(line, "", kInvalidWaitable, &code), kOk);
  EXPECT_EQ(code, 3u);
  Event stop;
  code = 99;
  ASSERT_EQ(this->launcher()->RunUntil(line, "", stop.waitable(), &code), kOk);
  EXPECT_EQ(code, 3u);
  EXPECT_EQ(this->launcher()->Start(this->Quoted(this->env_.ProgramExiting(0)), ""), kOk);
}

TYPED_TEST_P(ProcessLauncherContractTest, AProgramThatCannotStartIsNotFoundEveryWay) {
  const std::string line = this->Quoted(this->env_.MissingProgram()) + " text 3";
  Event stop;
  ASSERT_EQ(stop.Set(), kOk);
  uint32_t code = 99;
  EXPECT_EQ(this->launcher()->Start(line, ""), kErrorNotFound);
  EXPECT_EQ(this->launcher()->Run(line, "", &code), kErrorNotFound);
  EXPECT_EQ(this->launcher()->RunUntil(line, "", kInvalidWaitable, &code), kErrorNotFound);
  // A program that never started was not stopped either.
  EXPECT_EQ(this->launcher()->RunUntil(line, "", stop.waitable(), &code), kErrorNotFound);
  EXPECT_EQ(code, 99u);
}

TYPED_TEST_P(ProcessLauncherContractTest, ACommandLineWithoutAProgramIsNotFound) {
  uint32_t code = 99;
  for (const char* line : {"", "   ", "\"\" argument"}) {
    EXPECT_EQ(this->launcher()->Start(line, ""), kErrorNotFound) << "[" << line << "]";
    EXPECT_EQ(this->launcher()->Run(line, "", &code), kErrorNotFound) << "[" << line << "]";
  }
  EXPECT_EQ(code, 99u);
}

TYPED_TEST_P(ProcessLauncherContractTest, RunUntilAStopAlreadySignalledAborts) {
  Event stop;
  ASSERT_EQ(stop.Set(), kOk);
  uint32_t code = 99;
  EXPECT_EQ(this->launcher()->RunUntil(this->Quoted(this->env_.LastingProgram()), "",
                                       stop.waitable(), &code),
            kErrorOperationAborted);
  EXPECT_EQ(code, 99u);  // an aborted program has no exit code
}

REGISTER_TYPED_TEST_SUITE_P(ProcessLauncherContractTest, RunReportsTheExitCodeOfTheQuotedProgram,
                            AProgramThatCannotStartIsNotFoundEveryWay,
                            ACommandLineWithoutAProgramIsNotFound,
                            RunUntilAStopAlreadySignalledAborts);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TESTING_PROCESS_LAUNCHER_CONTRACT_H_
