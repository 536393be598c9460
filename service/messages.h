#ifndef QUILLON_SERVICE_MESSAGES_H_
#define QUILLON_SERVICE_MESSAGES_H_

#include <cstdint>
#include <string>

#include "common/settings/language.h"
#include "platform/store.h"

namespace quillon {

// The message kind of a warned part.
enum MessageKind : int {
  kKindNone = -1,
  kKindCpuFan = 0,
  kKindUpsBbu = 1,
  kKindFan = 2,
  kKindPsu = 3,
  kKindRaidConsumable = 4,    // RAID battery of class 1
  kKindRaidCardStandard = 5,  // RAID battery of class 0
  kKindRaidCardLarge = 6,     // RAID battery of any other class
};

// Where a warning text goes: the screen form is enclosed in double quotes and breaks lines
// before the advice; the event-log form runs the advice straight on.
enum class TextForm { kScreen, kEvent };

// The message kind of NotifyIndex `index` for a RAID battery of class `raid_class` (the class
// only matters for indices 1 to 16). kKindNone for an index outside 0 to 19.
MessageKind MessageKindFor(int index, uint32_t raid_class);

// As MessageKindFor, reading the class of RAID battery `index` from RaidConsumables; an
// unreadable class counts as 1. Reads nothing for indices outside 1 to 16.
MessageKind MessageKindOf(Store* store, int index);

// The limit-passed text of `kind` for NotifyIndex `index` (its RAID number for kinds 4 to 6)
// in `language`, with the kind's advice. Empty for kKindNone
// or any value outside 0 to 6.
std::string FormatLimitText(MessageKind kind, int index, Language language, TextForm form);

// The pre-warning text with `hours` remaining: the hours form below 24 hours, otherwise the
// days form with hours / 24 whole days. Empty for a kind outside 0 to 6.
std::string FormatPreWarningText(MessageKind kind, int index, int hours, Language language,
                                 TextForm form);

// The event identifier of a warning: limit 0xC00004B4 (kind 4: 0xC00004B6), pre-warning
// 0xC00004B3 (kind 4: 0xC00004B5).
uint32_t WarningEventId(MessageKind kind, bool limit);

}  // namespace quillon

#endif  // QUILLON_SERVICE_MESSAGES_H_
