#include "service/messages.h"

#include <gtest/gtest.h>

#include "common/settings/schema.h"
#include "platform/fakes/memory_store.h"

namespace quillon {
namespace {

constexpr Language kJa = Language::kJapanese;
constexpr Language kEn = Language::kEnglish;

constexpr char kStdScreenPreAdvice[] =
    "In order to avoid the trouble due to life of mandatory-replacement parts,\n"
    "Please contact Support and Contact for Halvorn in your duty.\n\nHave you already "
    "contacted ?";

TEST(MessageKindTest, FixedPartsAndRaidClasses) {
  EXPECT_EQ(MessageKindFor(0, 9), kKindCpuFan);
  EXPECT_EQ(MessageKindFor(17, 9), kKindUpsBbu);
  EXPECT_EQ(MessageKindFor(18, 9), kKindPsu);
  EXPECT_EQ(MessageKindFor(19, 9), kKindFan);
  EXPECT_EQ(MessageKindFor(3, 1), kKindRaidConsumable);
  EXPECT_EQ(MessageKindFor(3, 0), kKindRaidCardStandard);
  EXPECT_EQ(MessageKindFor(16, 2), kKindRaidCardLarge);
  EXPECT_EQ(MessageKindFor(16, 77), kKindRaidCardLarge);
  EXPECT_EQ(MessageKindFor(-1, 1), kKindNone);
  EXPECT_EQ(MessageKindFor(20, 1), kKindNone);
}

TEST(MessageKindTest, UnreadableRaidClassCountsAsOne) {
  MemoryStore store;
  EXPECT_EQ(MessageKindOf(&store, 5), kKindRaidConsumable);
  store.SetDword(kRaidConsumablesKey, "RAID05", 0);
  EXPECT_EQ(MessageKindOf(&store, 5), kKindRaidCardStandard);
  store.SetText(kRaidConsumablesKey, "RAID06", "0");  // a text is no class
  EXPECT_EQ(MessageKindOf(&store, 6), kKindRaidConsumable);
}

TEST(PreWarningTextTest, HoursFormBelowTwentyFourHoursDaysFormFrom24) {
  EXPECT_EQ(FormatPreWarningText(kKindCpuFan, 0, 23, kEn, TextForm::kScreen),
            std::string("\"It is 23 hours till the operating life time of CPU FAN.\n") +
                kStdScreenPreAdvice + "\"");
  EXPECT_EQ(FormatPreWarningText(kKindCpuFan, 0, 24, kEn, TextForm::kScreen),
            std::string("\"It is 24 hours (about 1 days) till the operating life time of CPU "
                        "FAN.\n") +
                kStdScreenPreAdvice + "\"");
  EXPECT_EQ(FormatPreWarningText(kKindCpuFan, 0, 47, kEn, TextForm::kEvent),
            "It is 47 hours (about 1 days) till the operating life time of CPU FAN.Please "
            "contact Support and Contact for Halvorn in your duty.");
  EXPECT_EQ(FormatPreWarningText(kKindUpsBbu, 17, 100, kEn, TextForm::kEvent),
            "It is 4 days till the operating life time of UPS BBU.Please contact Support and "
            "Contact for Halvorn in your duty.");
  EXPECT_EQ(FormatPreWarningText(kKindUpsBbu, 17, 100, kEn, TextForm::kScreen).substr(0, 60),
            "\"It is 4 days till the operating life time of UPS's BBUs.\nIn");
  EXPECT_EQ(FormatPreWarningText(kKindPsu, 18, 5, kJa, TextForm::kEvent),
            "PSU (電源供給装置) の寿命時間まで5時間です。修理相談窓口までご連絡ください。");
  EXPECT_EQ(FormatPreWarningText(kKindFan, 19, 48, kJa, TextForm::kEvent),
            "FAN (ハウジングファン) の寿命時間まで48時間(24時間運用換算で約2日)です。"
            "修理相談窓口までご連絡ください。");
}

TEST(RaidTextTest, ClassOneUsesRaidNumberAndReplacementAdvice) {
  EXPECT_EQ(FormatLimitText(kKindRaidConsumable, 3, kEn, TextForm::kScreen),
            "\"RAID's Battery exceeded the operating life (RAID#03).\nIt is necessary to "
            "replace RAID's Battery in order to maintain the ability and function of it.\n"
            "Please arrange for replacement parts soon in your duty.\"");
  EXPECT_EQ(FormatLimitText(kKindRaidConsumable, 3, kEn, TextForm::kEvent),
            "RAID's Battery exceeded the operating life (RAID#03).Please arrange for "
            "replacement parts soon in your duty.");
  EXPECT_EQ(FormatPreWarningText(kKindRaidConsumable, 3, 4320, kEn, TextForm::kEvent),
            "It is 180 days till the operating life time of RAID Battery (RAID#03).Please "
            "arrange for replacement parts in your duty.");
  EXPECT_EQ(FormatPreWarningText(kKindRaidConsumable, 3, 7, kJa, TextForm::kScreen),
            "\"RAID 電池の寿命時間まで7時間です(RAID#03)。\nRAID "
            "電池の性能/機能を維持するために交換が必要となります。\n"
            "交換部品手配について、ご購入元までご相談ください。\n\n"
            "交換部品を手配しましたでしょうか？\"");
  EXPECT_EQ(WarningEventId(kKindRaidConsumable, false), 0xC00004B5u);
  EXPECT_EQ(WarningEventId(kKindRaidConsumable, true), 0xC00004B6u);
}

TEST(RaidTextTest, CardClassesKeepTheirOddSpellingAndLineAdvice) {
  EXPECT_EQ(FormatLimitText(kKindRaidCardStandard, 3, kEn, TextForm::kEvent),
            "RAID's Battery exceeded the operating life(RAID_Card#03).Please contact Support "
            "and Contact for Halvorn soon in your duty.");
  EXPECT_EQ(FormatLimitText(kKindRaidCardLarge, 12, kEn, TextForm::kEvent),
            "RAID's Battery exceeded the operating life(RAID_Card#12).Please contact Support "
            "and Contact for Pextal soon in your duty.");
  EXPECT_EQ(FormatLimitText(kKindRaidCardLarge, 12, kEn, TextForm::kScreen),
            "\"RAID's Battery exceeded the operating life (RAID Card#12).\nIf this server is "
            "operated with this status, the trouble may caused\ndue to life of "
            "mandatory-replacement parts.\nPlease contact Support and Contact for Pextal soon "
            "in your duty.\"");
  EXPECT_EQ(FormatPreWarningText(kKindRaidCardStandard, 3, 30, kEn, TextForm::kEvent),
            "It is 1 days till the operating life time of RAID Battery(RAID_Card#03).Please "
            "contact Support and Contact for Halvorn in your duty.");
  EXPECT_EQ(FormatPreWarningText(kKindRaidCardLarge, 3, 2, kEn, TextForm::kScreen).substr(0, 82),
            "\"It is 2 hours till the operating life time of RAID's Battery (RAID Card#03).\nIn "
            "o");
  // The large-server line has no Japanese text of its own.
  EXPECT_EQ(FormatLimitText(kKindRaidCardLarge, 12, kJa, TextForm::kEvent),
            "RAID 電池が寿命を超えました(RAID_Card#12)。早期に修理相談窓口までご連絡ください。");
  EXPECT_EQ(WarningEventId(kKindRaidCardStandard, false), 0xC00004B3u);
  EXPECT_EQ(WarningEventId(kKindRaidCardLarge, true), 0xC00004B4u);
  EXPECT_EQ(WarningEventId(kKindCpuFan, true), 0xC00004B4u);
}

TEST(LimitTextTest, EveryKindInBothLanguages) {
  EXPECT_EQ(FormatLimitText(kKindCpuFan, 0, kJa, TextForm::kScreen),
            "\"CPU FAN が寿命を超えました。\nこの状態のまま本サーバを運用しますと、"
            "定期交換部品の寿命による\n故障が発生する可能性があります。\n"
            "早期に修理相談窓口までご連絡ください。\"");
  EXPECT_EQ(FormatLimitText(kKindUpsBbu, 17, kEn, TextForm::kEvent),
            "UPS's BBUs exceeded the operating life.Please contact Support and Contact for "
            "Halvorn soon in your duty.");
  EXPECT_EQ(FormatLimitText(kKindFan, 19, kEn, TextForm::kEvent).substr(0, 47),
            "FAN (housing fan) exceeded the operating life.P");
  EXPECT_EQ(FormatLimitText(kKindPsu, 18, kJa, TextForm::kEvent),
            "PSU (電源供給装置) が寿命を超えました。早期に修理相談窓口までご連絡ください。");
  EXPECT_EQ(FormatLimitText(kKindNone, 0, kEn, TextForm::kEvent), "");
  EXPECT_EQ(FormatPreWarningText(static_cast<MessageKind>(7), 0, 5, kEn, TextForm::kScreen), "");
}

}  // namespace
}  // namespace quillon
