// The member look-up of KoriTransport, held to the same expectations on the scripted
// transport of the unit tests and on the D-Bus transport against quillon-kori-sim on a private
// bus: what the client decides from a look-up (call VCRequest or not, read a property or fall
// back to a command) must not depend on which transport answers it.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/kori/kori_members.h"
#include "common/kori/testing/fake_kori_transport.h"
#include "platform/kori_transport.h"
#include "platform/posix/dbus_kori_transport.h"
#include "tests/common/bus_harness.h"

namespace quillon {
namespace {

// What the server under test leaves out of the five members.
struct ServerShape {
  bool vc_request = true;
  bool cabinet_property = true;
};

// The scripted server of the unit tests.
class FakeServerSide {
 public:
  static bool SetUpSuite(std::string*) { return true; }
  static void TearDownSuite() {}
  bool Start(const ServerShape& shape, std::string*) {
    server_ = std::make_shared<FakeKoriServer>();
    auto drop = [this](const char* name) {
      auto& m = server_->members;
      m.erase(std::remove(m.begin(), m.end(), name), m.end());
    };
    if (!shape.vc_request) drop("VCRequest");
    if (!shape.cabinet_property) drop("ServerCabinetNumber");
    return true;
  }
  void Stop() { server_->present = false; }
  // Before Start there is no server, as on a bus where nobody owns the name.
  std::unique_ptr<KoriTransport> NewTransport() {
    if (!server_) {
      server_ = std::make_shared<FakeKoriServer>();
      server_->present = false;
    }
    return std::make_unique<FakeKoriTransport>(server_);
  }

 private:
  std::shared_ptr<FakeKoriServer> server_;
};

// quillon-kori-sim on a private system bus, shared by the suite.
class DbusServerSide {
 public:
  static bool SetUpSuite(std::string* error) {
    bus_ = new testing::PrivateSystemBus;
    if (bus_->Start(error)) return true;
    delete bus_;
    bus_ = nullptr;
    return false;
  }
  static void TearDownSuite() {
    delete bus_;
    bus_ = nullptr;
  }
  bool Start(const ServerShape& shape, std::string* error) {
    std::vector<std::string> options;
    if (!shape.vc_request) options.push_back("--no-vcrequest");
    if (!shape.cabinet_property) options.push_back("--property=missing");
    return sim_.Start(*bus_, options, error);
  }
  void Stop() { sim_.Stop(); }
  std::unique_ptr<KoriTransport> NewTransport() {
    std::unique_ptr<KoriTransport> transport = NewDbusKoriTransport();
    // A bound for a server that does not come up; the simulator answers at once.
    transport->SetConnectTimeout(10000000);
    return transport;
  }

 private:
  static inline testing::PrivateSystemBus* bus_ = nullptr;
  testing::KoriSimulator sim_;
};

template <typename Side>
class KoriTransportContractTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { available_ = Side::SetUpSuite(&why_not_); }
  static void TearDownTestSuite() { Side::TearDownSuite(); }
  void SetUp() override {
    if (!available_) GTEST_SKIP() << why_not_;
  }
  // Starts a server of that shape and opens a new transport to it.
  void StartAndOpen(const ServerShape& shape) {
    std::string error;
    ASSERT_TRUE(side_.Start(shape, &error)) << error;
    transport_ = side_.NewTransport();
    ASSERT_EQ(transport_->Open(), 0);
  }
  // The identifier of `name`, or -1 when the look-up fails (which must leave *id alone).
  int32_t Id(const char* name) {
    int32_t id = -7;
    if (transport_->LookUpMember(name, &id) != 0) {
      EXPECT_EQ(id, -7) << name;
      return -1;
    }
    EXPECT_GE(id, 0) << name;
    return id;
  }

  static inline bool available_ = false;
  static inline std::string why_not_;
  Side side_;
  std::unique_ptr<KoriTransport> transport_;
};

using Sides = ::testing::Types<FakeServerSide, DbusServerSide>;
TYPED_TEST_SUITE(KoriTransportContractTest, Sides);

TYPED_TEST(KoriTransportContractTest, EveryMemberOfAFullServerHasItsOwnFixedIdentifier) {
  this->StartAndOpen({});
  std::set<int32_t> ids;
  for (int m = 0; m < kKoriMemberCount; ++m) {
    const int32_t id = this->Id(KoriMemberName(m));
    EXPECT_GE(id, 0) << KoriMemberName(m);
    EXPECT_EQ(this->Id(KoriMemberName(m)), id) << "asked twice";
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(kKoriMemberCount));
  // Neither other names nor the members of the object's other interfaces count.
  for (const char* name : {"", "NoSuchMember", "VCRequestX", "Introspect", "Get"}) {
    EXPECT_EQ(this->Id(name), -1) << name;
  }
}

TYPED_TEST(KoriTransportContractTest, AMemberTheServerLeavesOutIsNotFound) {
  this->StartAndOpen({.vc_request = false});
  EXPECT_EQ(this->Id("VCRequest"), -1);
  EXPECT_GE(this->Id("ServerCabinetNumber"), 0);
  this->transport_->Close();
  this->side_.Stop();

  this->StartAndOpen({.cabinet_property = false});
  EXPECT_EQ(this->Id("ServerCabinetNumber"), -1);
  EXPECT_GE(this->Id("VCRequest"), 0);
}

TYPED_TEST(KoriTransportContractTest, NothingIsFoundWithoutAnOpenConnection) {
  std::unique_ptr<KoriTransport> transport = this->side_.NewTransport();
  int32_t id = -7;
  EXPECT_NE(transport->LookUpMember("VCRequest", &id), 0) << "never opened";
  // No server: Open fails and finds nothing.
  EXPECT_NE(transport->Open(), 0);
  EXPECT_NE(transport->LookUpMember("VCRequest", &id), 0) << "no server";
  EXPECT_EQ(id, -7);

  this->StartAndOpen({});
  EXPECT_GE(this->Id("VCRequest"), 0);
  this->transport_->Close();
  EXPECT_EQ(this->Id("VCRequest"), -1) << "after Close";
  // A transport is opened again for every operation of the client.
  ASSERT_EQ(this->transport_->Open(), 0);
  EXPECT_GE(this->Id("VCRequest"), 0) << "opened again";
}

}  // namespace
}  // namespace quillon
