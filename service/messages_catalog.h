#ifndef QUILLON_SERVICE_MESSAGES_CATALOG_H_
#define QUILLON_SERVICE_MESSAGES_CATALOG_H_

#include <cstdint>

#include "common/settings/language.h"

namespace quillon {

// One operator text in both languages.
struct TextPair {
  const char* japanese;
  const char* english;

  // The text for `language`.
  const char* Get(Language language) const {
    return language == Language::kJapanese ? japanese : english;
  }
};

// Message kinds of the warned parts: 0 CPU FAN, 1 UPS BBU, 2 FAN, 3 PSU, 4 RAID consumable,
// 5 RAID card of the standard line, 6 RAID card of the large-server line.
inline constexpr int kMessageKindCount = 7;

// Advice groups, the closing sentence of every warning: who replaces the part.
enum AdviceGroup : int {
  kAdviceStandardLine = 0,      // kinds 0 to 3 and 5
  kAdviceLargeServerLine = 1,   // kind 6
  kAdviceReplacementParts = 2,  // kind 4
};
inline constexpr int kAdviceGroupCount = 3;

// The warning catalogue, indexed by message kind. Every text ends in the "%s" that takes the
// advice. Arguments before it, in order:
// - limit texts: kinds 4 to 6 the RAID number ("%02d"); other kinds none;
// - "hours" pre-warning texts (fewer than 24 hours left): the hours, then for kinds 4 to 6
//   the RAID number;
// - "days" pre-warning texts (24 hours or more left): kinds 0, 2, 3 the hours and the whole
//   days; kind 1 the whole days; kinds 4 to 6 the whole days and the RAID number.
// Screen texts are stored without their enclosing double quotes, which the formatter adds.
extern const TextPair kScreenLimitTexts[kMessageKindCount];
extern const TextPair kScreenPreHoursTexts[kMessageKindCount];  // fewer than 24 hours left
extern const TextPair kScreenPreDaysTexts[kMessageKindCount];   // 24 hours or more left
extern const TextPair kEventLimitTexts[kMessageKindCount];
extern const TextPair kEventPreHoursTexts[kMessageKindCount];
extern const TextPair kEventPreDaysTexts[kMessageKindCount];

// Advice sentences by AdviceGroup.
extern const TextPair kScreenLimitAdvice[kAdviceGroupCount];
extern const TextPair kScreenPreAdvice[kAdviceGroupCount];
extern const TextPair kEventLimitAdvice[kAdviceGroupCount];
extern const TextPair kEventPreAdvice[kAdviceGroupCount];

}  // namespace quillon

#endif  // QUILLON_SERVICE_MESSAGES_CATALOG_H_
