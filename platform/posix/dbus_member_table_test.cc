#include "platform/posix/dbus_member_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {
namespace {

using Names = std::vector<std::string_view>;
constexpr char kKori[] = "com.morvath.Kori";

TEST(IntrospectedMembersTest, MethodsAndPropertiesInDocumentOrder) {
  EXPECT_EQ(
      IntrospectedMembers(
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
          "   <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
          "value=\"const\"/>\n"
          "  </property>\n"
          " </interface>\n"
          "</node>\n",
          kKori),
      (Names{"VCRequest", "SyncRequest", "ServerCabinetNumber", "DefaultTimeout",
             "ServerControlVersion"}));
}

TEST(IntrospectedMembersTest, NamesOutsideTheInterfaceDoNotCount) {
  EXPECT_EQ(IntrospectedMembers(
                "<node><interface name=\"com.other\"><method name=\"VCRequest\"/></interface>"
                "<interface name=\"com.morvath.Kori\"/>"  // empty, self-closed
                "<method name=\"SyncRequest\"/>"
                "<interface name=\"com.morvath.Kori\"><property name=\"ServerCabinetNumber\"/>"
                "<!-- <method name=\"DefaultTimeout\"/> -->"
                "<method name=\"VCRequestX\"/></interface></node>",
                kKori),
            (Names{"ServerCabinetNumber", "VCRequestX"}));
}

TEST(IntrospectedMembersTest, MalformedDescriptionsYieldWhatIsWhole) {
  const std::string whole =
      "<node><interface name=\"com.morvath.Kori\"><method name=\"VCRequest\"/>"
      "<property name=\"a>b\"/><property name=\"ServerCabinetNumber\" type=\"n\"/>";
  // Every prefix of the description is a valid input; the look-up never reads past it.
  for (size_t n = 0; n <= whole.size(); ++n) {
    Names names = IntrospectedMembers(std::string_view(whole).substr(0, n), kKori);
    if (n == whole.size()) {
      EXPECT_EQ(names, (Names{"VCRequest", "a>b", "ServerCabinetNumber"}));
    }
  }
  for (const char* bad :
       {"", "<", "<<<>>>", "<interface name=", "<interface name=\"com.morvath.Kori", "<!--", "<?",
        "<interface name='com.morvath.Kori'><method name=VCRequest/>",
        "</interface></interface><method name=\"VCRequest\"/>"}) {
    Names names = IntrospectedMembers(bad, kKori);
    EXPECT_EQ(std::count(names.begin(), names.end(), "VCRequest"), 0) << bad;
  }
}

}  // namespace
}  // namespace quillon
