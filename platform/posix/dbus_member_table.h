#ifndef QUILLON_PLATFORM_POSIX_DBUS_MEMBER_TABLE_H_
#define QUILLON_PLATFORM_POSIX_DBUS_MEMBER_TABLE_H_

#include <string_view>
#include <vector>

namespace quillon {

// The member names of one interface in a D-Bus object's introspection XML, in document
// order: the name attribute of every <method> or <property> element that lies inside an
// <interface> element named `interface`. An interface listed twice contributes both lists.
// Any input is safe: a truncated or malformed description simply yields fewer names. The
// views point into `xml`. Pure function, thread-safe.
std::vector<std::string_view> IntrospectedMembers(std::string_view xml, std::string_view interface);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_DBUS_MEMBER_TABLE_H_
