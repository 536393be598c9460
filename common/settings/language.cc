#include "common/settings/accessor_helpers.h"
#include "common/settings/settings.h"
#include "platform/system_info.h"

namespace quillon {
namespace {

// The primary language is the low 10 bits of a language identifier.
bool IsJapanese(uint16_t lang_id) { return (lang_id & 0x3FF) == kLangJapanese; }

}  // namespace

Status ReadLanguage(Store* store, SystemInfo* system, uint32_t* out) {
  if (out == nullptr) return kErrorInvalidParameter;
  if (system != nullptr) *out = IsJapanese(system->UserDefaultLangId()) ? 0 : 1;
  return settings_internal::ReadDword(store, kRootKey, "Language", out);
}

Status WriteLanguage(Store* store, uint32_t in) {
  return settings_internal::WriteDword(store, kRootKey, "Language", in);
}

Language ServiceLanguage(SystemInfo* system) {
  if (system == nullptr) return Language::kEnglish;
  uint16_t user = system->UserDefaultLangId();
  uint16_t machine = system->SystemDefaultLangId();
  return IsJapanese(user) && (user & 0x3FF) == (machine & 0x3FF) ? Language::kJapanese
                                                                 : Language::kEnglish;
}

}  // namespace quillon
