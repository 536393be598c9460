#ifndef QUILLON_PLATFORM_TESTING_SERVICE_MANAGER_CONTRACT_H_
#define QUILLON_PLATFORM_TESTING_SERVICE_MANAGER_CONTRACT_H_

// What every ServiceManager (platform/service_manager.h), real or recording, must agree on,
// as one typed GoogleTest suite: the life of one service from install to delete and the
// status each step returns when the service is not in the state it needs. An implementation
// is tested by an environment type, default-constructible, that gives
//   bool ready();                    // false: the suite is skipped (no manager to talk to)
//   ServiceManager* manager();       // a manager on which no service is installed yet
//   void FinishStop(const std::string& name);  // lets a stopping service reach "stopped"
// Instantiate with
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, ServiceManagerContractTest, ::testing::Types<Env>);

#include <string>

#include "gtest/gtest.h"
#include "platform/service_manager.h"

namespace quillon {

template <typename Env>
class ServiceManagerContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!env_.ready()) GTEST_SKIP() << "no service manager to test against";
  }
  ServiceManager* manager() { return env_.manager(); }

  // The state, or ServiceState{0} when it cannot be read.
  ServiceState State(const std::string& name) {
    ServiceState state{0};
    EXPECT_EQ(manager()->QueryState(name, &state), kOk) << name;
    return state;
  }

  Env env_;
};

TYPED_TEST_SUITE_P(ServiceManagerContractTest);

TYPED_TEST_P(ServiceManagerContractTest, AServiceFromInstallToDelete) {
  ServiceManager* manager = this->manager();
  ASSERT_EQ(manager->Connect(), kOk);
  ASSERT_EQ(manager->Install("TALVEN", "TALVEN", "/opt/quillon/bin/TALVENSV"), kOk);
  EXPECT_EQ(manager->Install("TALVEN", "TALVEN", "/elsewhere"), kErrorServiceExists);
  EXPECT_EQ(manager->Open("TALVEN"), kOk);
  EXPECT_EQ(this->State("TALVEN"), ServiceState::kStopped);  // installed, not started
  EXPECT_EQ(manager->Stop("TALVEN"), kErrorServiceNotActive);

  ASSERT_EQ(manager->Start("TALVEN"), kOk);
  EXPECT_EQ(this->State("TALVEN"), ServiceState::kRunning);
  EXPECT_EQ(manager->Start("TALVEN"), kErrorServiceAlreadyRunning);

  ASSERT_EQ(manager->Stop("TALVEN"), kOk);
  // Stopping is asynchronous: the service may still be on its way, and then takes no second
  // stop, or it may have stopped already.
  const Status again = manager->Stop("TALVEN");
  EXPECT_TRUE(again == kErrorServiceCannotAcceptControl || again == kErrorServiceNotActive)
      << again;
  const ServiceState stopping = this->State("TALVEN");
  EXPECT_TRUE(stopping == ServiceState::kStopPending || stopping == ServiceState::kStopped)
      << static_cast<int>(stopping);
  this->env_.FinishStop("TALVEN");
  EXPECT_EQ(this->State("TALVEN"), ServiceState::kStopped);
  EXPECT_EQ(manager->Stop("TALVEN"), kErrorServiceNotActive);

  ASSERT_EQ(manager->Delete("TALVEN"), kOk);
  EXPECT_EQ(manager->Open("TALVEN"), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager->Delete("TALVEN"), kErrorServiceDoesNotExist);
  // Deleted means installable again.
  EXPECT_EQ(manager->Install("TALVEN", "TALVEN", "/opt/quillon/bin/TALVENSV"), kOk);
}

TYPED_TEST_P(ServiceManagerContractTest, AServiceNotInstalledDoesNotExistForAnyCall) {
  ServiceManager* manager = this->manager();
  EXPECT_EQ(manager->Open("NOSUCH"), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager->Start("NOSUCH"), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager->Stop("NOSUCH"), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager->Delete("NOSUCH"), kErrorServiceDoesNotExist);
  ServiceState state = ServiceState::kPaused;
  EXPECT_EQ(manager->QueryState("NOSUCH", &state), kErrorServiceDoesNotExist);
  EXPECT_EQ(state, ServiceState::kPaused);
}

TYPED_TEST_P(ServiceManagerContractTest, StatusesWithAWindowsMeaningCarryItsText) {
  ServiceManager* manager = this->manager();
  // After the failures, so that a manager that keeps the last failure's detail is tested too.
  ASSERT_EQ(manager->Install("TALVEN", "TALVEN", "/x"), kOk);
  ASSERT_EQ(manager->Install("TALVEN", "TALVEN", "/x"), kErrorServiceExists);
  ASSERT_EQ(manager->Open("NOSUCH"), kErrorServiceDoesNotExist);
  ASSERT_EQ(manager->Stop("TALVEN"), kErrorServiceNotActive);
  for (Status code : {kErrorServiceExists, kErrorServiceDoesNotExist, kErrorServiceNotActive,
                      kErrorServiceAlreadyRunning, kErrorAccessDenied}) {
    EXPECT_FALSE(manager->ErrorMessage(code).empty()) << code;
    EXPECT_EQ(manager->ErrorMessage(code), ServiceErrorText(code)) << code;
  }
}

REGISTER_TYPED_TEST_SUITE_P(ServiceManagerContractTest, AServiceFromInstallToDelete,
                            AServiceNotInstalledDoesNotExistForAnyCall,
                            StatusesWithAWindowsMeaningCarryItsText);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TESTING_SERVICE_MANAGER_CONTRACT_H_
