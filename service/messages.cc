#include "service/messages.h"

#include <cstdarg>
#include <cstdio>

#include "common/log/event_report.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "service/messages_catalog.h"

namespace quillon {
namespace {

bool IsKind(MessageKind kind) { return kind >= 0 && kind < kMessageKindCount; }

bool IsRaidKind(MessageKind kind) {
  return kind >= kKindRaidConsumable && kind <= kKindRaidCardLarge;
}

AdviceGroup AdviceOf(MessageKind kind) {
  if (kind == kKindRaidConsumable) return kAdviceReplacementParts;
  if (kind == kKindRaidCardLarge) return kAdviceLargeServerLine;
  return kAdviceStandardLine;
}

// The catalogue formats come from fixed tables, so the argument lists below always match
// their conversions; vsnprintf measures first so no text is ever cut.
std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return out;
}

std::string Enclose(TextForm form, std::string text) {
  if (form == TextForm::kEvent) return text;
  return "\"" + text + "\"";
}

}  // namespace

MessageKind MessageKindFor(int index, uint32_t raid_class) {
  switch (index) {
    case kNotifyCpuFan:
      return kKindCpuFan;
    case kNotifyUps:
      return kKindUpsBbu;
    case kNotifyCaisFan:
      return kKindFan;
    case kNotifyPsu:
      return kKindPsu;
    default:
      break;
  }
  if (index < kNotifyRaidFirst || index > kNotifyRaidLast) return kKindNone;
  if (raid_class == 1) return kKindRaidConsumable;
  if (raid_class == 0) return kKindRaidCardStandard;
  return kKindRaidCardLarge;
}

MessageKind MessageKindOf(Store* store, int index) {
  uint32_t raid_class = 1;
  if (index >= kNotifyRaidFirst && index <= kNotifyRaidLast) {
    ReadRaidConsumables(store, &raid_class, index);
  }
  return MessageKindFor(index, raid_class);
}

std::string FormatLimitText(MessageKind kind, int index, Language language, TextForm form) {
  if (!IsKind(kind)) return std::string();
  const bool screen = form == TextForm::kScreen;
  const char* text = (screen ? kScreenLimitTexts : kEventLimitTexts)[kind].Get(language);
  const char* advice =
      (screen ? kScreenLimitAdvice : kEventLimitAdvice)[AdviceOf(kind)].Get(language);
  if (IsRaidKind(kind)) return Enclose(form, Printf(text, index, advice));
  return Enclose(form, Printf(text, advice));
}

std::string FormatPreWarningText(MessageKind kind, int index, int hours, Language language,
                                 TextForm form) {
  if (!IsKind(kind)) return std::string();
  const bool screen = form == TextForm::kScreen;
  const char* advice = (screen ? kScreenPreAdvice : kEventPreAdvice)[AdviceOf(kind)].Get(language);
  if (hours < 24) {
    const char* text = (screen ? kScreenPreHoursTexts : kEventPreHoursTexts)[kind].Get(language);
    if (IsRaidKind(kind)) return Enclose(form, Printf(text, hours, index, advice));
    return Enclose(form, Printf(text, hours, advice));
  }
  const int days = hours / 24;
  const char* text = (screen ? kScreenPreDaysTexts : kEventPreDaysTexts)[kind].Get(language);
  if (kind == kKindUpsBbu) return Enclose(form, Printf(text, days, advice));
  if (IsRaidKind(kind)) return Enclose(form, Printf(text, days, index, advice));
  return Enclose(form, Printf(text, hours, days, advice));
}

uint32_t WarningEventId(MessageKind kind, bool limit) {
  if (kind == kKindRaidConsumable) return limit ? kEventRaidLimit : kEventRaidPreWarning;
  return limit ? kEventLimit : kEventPreWarning;
}

}  // namespace quillon
