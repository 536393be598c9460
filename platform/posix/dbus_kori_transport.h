#ifndef QUILLON_PLATFORM_POSIX_DBUS_KORI_TRANSPORT_H_
#define QUILLON_PLATFORM_POSIX_DBUS_KORI_TRANSPORT_H_

#include <memory>

#include "platform/kori_transport.h"

namespace quillon {

// The KORI transport over D-Bus: the object /com/morvath/Kori of the bus name
// com.morvath.Kori on the system bus (DBUS_SYSTEM_BUS_ADDRESS when set), one private
// connection per Open. The members are those the object's introspection data lists for the
// interface com.morvath.Kori; a member's identifier is its position in that list. Connect
// time-out 25 s until SetConnectTimeout. Never null.
std::unique_ptr<KoriTransport> NewDbusKoriTransport();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_DBUS_KORI_TRANSPORT_H_
