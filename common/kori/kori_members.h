#ifndef QUILLON_COMMON_KORI_KORI_MEMBERS_H_
#define QUILLON_COMMON_KORI_KORI_MEMBERS_H_

#include <array>
#include <cstdint>
#include <string_view>

namespace quillon {

// The five member names the client looks up, in look-up order.
enum KoriMember : int {
  kMemberVcRequest = 0,
  kMemberSyncRequest = 1,
  kMemberServerCabinetNumber = 2,
  kMemberDefaultTimeout = 3,
  kMemberServerControlVersion = 4,
};
inline constexpr int kKoriMemberCount = 5;

// Name of a member ("VCRequest", ...); nullptr outside 0-4.
const char* KoriMemberName(int member);

// Member identifiers: the position of the member among the methods and properties of the
// KORI interface, or -1 when the name was not found.
using KoriMemberIds = std::array<int32_t, kKoriMemberCount>;

// Looks the five names up, one at a time, in the object's introspection XML: a name counts
// when a <method> or <property> element of that name lies inside an <interface> element
// named "com.morvath.Kori". Every identifier is preset to -1. Any input is safe: a truncated
// or malformed description simply finds fewer members. Pure function, thread-safe.
KoriMemberIds LookUpKoriMembers(std::string_view description);

}  // namespace quillon

#endif  // QUILLON_COMMON_KORI_KORI_MEMBERS_H_
