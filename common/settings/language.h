#ifndef QUILLON_COMMON_SETTINGS_LANGUAGE_H_
#define QUILLON_COMMON_SETTINGS_LANGUAGE_H_

#include <cstdint>

namespace quillon {

// The language of the operator texts, by the numbers of the setting `Language`.
enum class Language : uint32_t {
  kJapanese = 0,
  kEnglish = 1,
};

// The language a stored `Language` value selects: 0 Japanese, any other value English.
inline Language LanguageOf(uint32_t stored) {
  return stored == 0 ? Language::kJapanese : Language::kEnglish;
}

}  // namespace quillon

#endif  // QUILLON_COMMON_SETTINGS_LANGUAGE_H_
