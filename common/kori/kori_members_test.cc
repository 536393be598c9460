#include "common/kori/kori_members.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

TEST(LookUpKoriMembersTest, FindsAllFiveInDeclarationOrder) {
  KoriMemberIds ids = LookUpKoriMembers(
      "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\">\n"
      "<node>\n"
      " <interface name=\"org.freedesktop.DBus.Properties\">\n"
      "  <method name=\"Get\"><arg type=\"s\"/></method>\n"
      " </interface>\n"
      " <interface name=\"com.morvath.Kori\">\n"
      "  <method name=\"VCRequest\">\n"
      "   <arg type=\"n\" direction=\"in\"/>\n"
      "  </method>\n"
      "  <method name=\"SyncRequest\"/>\n"
      "  <property name=\"ServerCabinetNumber\" type=\"n\" access=\"read\"/>\n"
      "  <property name='DefaultTimeout' type='u' access='read'/>\n"
      "  <property name = \"ServerControlVersion\" type=\"s\" access=\"read\">\n"
      "   <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" value=\"const\"/>\n"
      "  </property>\n"
      " </interface>\n"
      "</node>\n");
  EXPECT_EQ(ids[kMemberVcRequest], 0);
  EXPECT_EQ(ids[kMemberSyncRequest], 1);
  EXPECT_EQ(ids[kMemberServerCabinetNumber], 2);
  EXPECT_EQ(ids[kMemberDefaultTimeout], 3);
  EXPECT_EQ(ids[kMemberServerControlVersion], 4);
}

TEST(LookUpKoriMembersTest, NamesOutsideTheKoriInterfaceDoNotCount) {
  KoriMemberIds ids = LookUpKoriMembers(
      "<node><interface name=\"com.other\"><method name=\"VCRequest\"/></interface>"
      "<interface name=\"com.morvath.Kori\"/>"  // empty, self-closed
      "<method name=\"SyncRequest\"/>"
      "<interface name=\"com.morvath.Kori\"><property name=\"ServerCabinetNumber\"/>"
      "<!-- <method name=\"DefaultTimeout\"/> -->"
      "<method name=\"VCRequestX\"/></interface></node>");
  EXPECT_EQ(ids[kMemberVcRequest], -1);
  EXPECT_EQ(ids[kMemberSyncRequest], -1);
  EXPECT_EQ(ids[kMemberServerCabinetNumber], 0);
  EXPECT_EQ(ids[kMemberDefaultTimeout], -1);
}

TEST(LookUpKoriMembersTest, MalformedDescriptionsFindWhatIsWhole) {
  const std::string whole =
      "<node><interface name=\"com.morvath.Kori\"><method name=\"VCRequest\"/>"
      "<property name=\"a>b\"/><property name=\"ServerCabinetNumber\" type=\"n\"/>";
  // Every prefix of the description is a valid input; the look-up never reads past it.
  for (size_t n = 0; n <= whole.size(); ++n) {
    std::string prefix = whole.substr(0, n);
    KoriMemberIds ids = LookUpKoriMembers(prefix);
    if (n == whole.size()) {
      EXPECT_EQ(ids[kMemberVcRequest], 0);
      EXPECT_EQ(ids[kMemberServerCabinetNumber], 2);
    }
  }
  for (const char* bad :
       {"", "<", "<<<>>>", "<interface name=", "<interface name=\"com.morvath.Kori", "<!--", "<?",
        "<interface name='com.morvath.Kori'><method name=VCRequest/>",
        "</interface></interface><method name=\"VCRequest\"/>"}) {
    KoriMemberIds ids = LookUpKoriMembers(bad);
    EXPECT_EQ(ids[kMemberVcRequest], -1) << bad;
  }
}

TEST(KoriMemberNameTest, NamesAndRange) {
  EXPECT_STREQ(KoriMemberName(0), "VCRequest");
  EXPECT_STREQ(KoriMemberName(4), "ServerControlVersion");
  EXPECT_EQ(KoriMemberName(5), nullptr);
  EXPECT_EQ(KoriMemberName(-1), nullptr);
}

}  // namespace
}  // namespace quillon
