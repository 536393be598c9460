#include "platform/posix/dbus_kori_transport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace quillon {
namespace {

// With no bus to talk to, Open fails and nothing else works; the client reports this as "no
// connection". (The transport against a server on a private bus: tests/kori.)
TEST(DbusKoriTransportTest, NoBusFailsEveryStep) {
  const char* old = getenv("DBUS_SYSTEM_BUS_ADDRESS");
  std::string saved = old ? old : "";
  setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quillon-test/bus", 1);
  {
    std::unique_ptr<KoriTransport> transport = NewDbusKoriTransport();
    transport->SetConnectTimeout(1000000);
    EXPECT_NE(transport->Open(), 0);
    int32_t id = -7;
    EXPECT_NE(transport->LookUpMember("VCRequest", &id), 0);
    EXPECT_EQ(id, -7);
    int16_t number = 5;
    EXPECT_NE(transport->ReadCabinetProperty(&number), 0);
    EXPECT_EQ(number, 5);
    KoriReply reply;
    EXPECT_NE(transport->Call(KoriCall{}, &reply), 0);
    EXPECT_TRUE(reply.response.empty());
    transport->Close();
  }
  if (old) {
    setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1);
  } else {
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }
}

}  // namespace
}  // namespace quillon
