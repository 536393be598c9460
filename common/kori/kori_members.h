#ifndef QUILLON_COMMON_KORI_KORI_MEMBERS_H_
#define QUILLON_COMMON_KORI_KORI_MEMBERS_H_

#include <array>
#include <cstdint>

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

// Member identifiers as the transport reports them (KoriTransport::LookUpMember), or -1 when
// the server does not offer the name.
using KoriMemberIds = std::array<int32_t, kKoriMemberCount>;

}  // namespace quillon

#endif  // QUILLON_COMMON_KORI_KORI_MEMBERS_H_
