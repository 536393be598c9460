#ifndef QUILLON_TESTS_COMMON_BUS_TEST_FIXTURE_H_
#define QUILLON_TESTS_COMMON_BUS_TEST_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "tests/common/bus_harness.h"

namespace quillon::testing {

// A test suite that shares one private system bus: started once before the suite's first test
// and stopped after its last. Every test of the suite is skipped, with the reason, when the bus
// could not be started. Derived fixtures that override SetUp call this SetUp first.
class PrivateBusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bus_ = new PrivateSystemBus;
    if (!bus_->Start(&bus_error_)) {
      delete bus_;
      bus_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete bus_;
    bus_ = nullptr;
  }
  void SetUp() override {
    if (bus_ == nullptr) GTEST_SKIP() << bus_error_;
  }

  // NOLINTBEGIN(readability-identifier-naming): the suite's shared bus, a data member.
  static inline PrivateSystemBus* bus_ = nullptr;
  static inline std::string bus_error_;
  // NOLINTEND(readability-identifier-naming)
};

}  // namespace quillon::testing

#endif  // QUILLON_TESTS_COMMON_BUS_TEST_FIXTURE_H_
