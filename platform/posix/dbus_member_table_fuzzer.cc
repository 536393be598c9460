// Feeds arbitrary bytes to the introspection reader as an object's description: no input may
// crash it or yield a name that lies outside the description.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/posix/dbus_member_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  for (std::string_view interface : {std::string_view("com.morvath.Kori"), std::string_view()}) {
    for (std::string_view name : quillon::IntrospectedMembers(xml, interface)) {
      if (name.empty()) continue;  // an element without a name attribute
      if (name.data() < xml.data() || name.data() + name.size() > xml.data() + size) std::abort();
    }
  }
  return 0;
}
