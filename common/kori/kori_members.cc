#include "common/kori/kori_members.h"

namespace quillon {
namespace {

constexpr const char* kMemberNames[kKoriMemberCount] = {
    "VCRequest", "SyncRequest", "ServerCabinetNumber", "DefaultTimeout", "ServerControlVersion"};

}  // namespace

const char* KoriMemberName(int member) {
  if (member < 0 || member >= kKoriMemberCount) return nullptr;
  return kMemberNames[member];
}

}  // namespace quillon
