// The service's warning catalogue. The texts are the operator's words and are kept exactly,
// including their small differences between the screen and the event-log forms ("UPS's
// BBUs" / "UPS BBU", "RAID Card#" / "RAID_Card#", the missing blank before "(RAID_Card#").
#include "service/messages_catalog.h"

namespace quillon {

const TextPair kScreenLimitTexts[kMessageKindCount] = {
    // kind 0
    {"CPU FAN が寿命を超えました。\n%s", "CPU FAN exceeded the operating life.\n%s"},
    // kind 1
    {"UPS BBU が寿命を超えました。\n%s", "UPS's BBUs exceeded the operating life.\n%s"},
    // kind 2
    {"FAN (ハウジングファン) が寿命を超えました。\n%s",
     "FAN (housing fan) exceeded the operating life.\n%s"},
    // kind 3
    {"PSU (電源供給装置) が寿命を超えました。\n%s",
     "PSU (power supply unit) exceeded the operating life.\n%s"},
    // kind 4
    {"RAID 電池が寿命を超えました(RAID#%02d)。\n%s",
     "RAID's Battery exceeded the operating life (RAID#%02d).\n%s"},
    // kind 5
    {"RAID 電池が寿命を超えました(RAID Card#%02d)。\n%s",
     "RAID's Battery exceeded the operating life (RAID Card#%02d).\n%s"},
    // kind 6
    {"RAID 電池が寿命を超えました(RAID Card#%02d)。\n%s",
     "RAID's Battery exceeded the operating life (RAID Card#%02d).\n%s"},
};

const TextPair kScreenPreHoursTexts[kMessageKindCount] = {
    // kind 0
    {"CPU FAN の寿命時間まで%d時間です。\n%s",
     "It is %d hours till the operating life time of CPU FAN.\n%s"},
    // kind 1
    {"UPS BBU の寿命時間まで%d時間です。\n%s",
     "It is %d hours till the operating life time of UPS's BBUs.\n%s"},
    // kind 2
    {"FAN (ハウジングファン) の寿命時間まで%d時間です。\n%s",
     "It is %d hours till the operating life time of FAN (housing fan).\n%s"},
    // kind 3
    {"PSU (電源供給装置) の寿命時間まで%d時間です。\n%s",
     "It is %d hours till the operating life time of PSU (power supply unit).\n%s"},
    // kind 4
    {"RAID 電池の寿命時間まで%d時間です(RAID#%02d)。\n%s",
     "It is %d hours till the operating life time of RAID's Battery (RAID#%02d).\n%s"},
    // kind 5
    {"RAID 電池の寿命時間まで%d時間です(RAID Card#%02d)。\n%s",
     "It is %d hours till the operating life time of RAID's Battery (RAID Card#%02d).\n%s"},
    // kind 6
    {"RAID 電池の寿命時間まで%d時間です(RAID Card#%02d)。\n%s",
     "It is %d hours till the operating life time of RAID's Battery (RAID Card#%02d).\n%s"},
};

const TextPair kScreenPreDaysTexts[kMessageKindCount] = {
    // kind 0
    {"CPU FAN の寿命時間まで%d時間(24時間運用換算で約%d日)です。\n%s",
     "It is %d hours (about %d days) till the operating life time of CPU FAN.\n%s"},
    // kind 1
    {"UPS BBU の寿命時間まで%d日です。\n%s",
     "It is %d days till the operating life time of UPS's BBUs.\n%s"},
    // kind 2
    {"FAN (ハウジングファン) の寿命時間まで%d時間(24時間運用換算で約%d日)です。\n%s",
     "It is %d hours (about %d days) till the operating life time of FAN (housing fan).\n%s"},
    // kind 3
    {"PSU (電源供給装置) の寿命時間まで%d時間(24時間運用換算で約%d日)です。\n%s",
     "It is %d hours (about %d days) till the operating life time of PSU (power supply unit).\n%s"},
    // kind 4
    {"RAID 電池の寿命時間まで%d日です(RAID#%02d)。\n%s",
     "It is %d days till the operating life time of RAID's Battery (RAID#%02d).\n%s"},
    // kind 5
    {"RAID 電池の寿命時間まで%d日です(RAID Card#%02d)。\n%s",
     "It is %d days till the operating life time of RAID's Battery (RAID Card#%02d).\n%s"},
    // kind 6
    {"RAID 電池の寿命時間まで%d日です(RAID Card#%02d)。\n%s",
     "It is %d days till the operating life time of RAID's Battery (RAID Card#%02d).\n%s"},
};

const TextPair kScreenLimitAdvice[kAdviceGroupCount] = {
    // standard line
    {"この状態のまま本サーバを運用しますと、定期交換部品の寿命による\n故障が発生する可能性がありま"
     "す。\n早期に修理相談窓口までご連絡ください。",
     "If this server is operated with this status, the trouble may caused\ndue to life of "
     "mandatory-replacement parts.\nPlease contact Support and Contact for Halvorn soon in your "
     "duty."},
    // large-server line
    {"この状態のまま本サーバを運用しますと、定期交換部品の寿命による\n故障が発生する可能性がありま"
     "す。\n早期に修理相談窓口までご連絡ください。",
     "If this server is operated with this status, the trouble may caused\ndue to life of "
     "mandatory-replacement parts.\nPlease contact Support and Contact for Pextal soon in your "
     "duty."},
    // replacement parts
    {"RAID "
     "電池の性能/機能を維持するために交換が必要となります。\n早期にご購入元までご相談ください。",
     "It is necessary to replace RAID's Battery in order to maintain the ability and function of "
     "it.\nPlease arrange for replacement parts soon in your duty."},
};

const TextPair kScreenPreAdvice[kAdviceGroupCount] = {
    // standard line
    {"定期交換部品の寿命による故障を回避するため\n修理相談窓口までご連絡ください。\n\n連絡済みでし"
     "ょうか？",
     "In order to avoid the trouble due to life of mandatory-replacement parts,\nPlease contact "
     "Support and Contact for Halvorn in your duty.\n\nHave you already contacted ?"},
    // large-server line
    {"定期交換部品の寿命による故障を回避するため\n修理相談窓口までご連絡ください。\n\n連絡済みでし"
     "ょうか？",
     "In order to avoid the trouble due to life of mandatory-replacement parts,\nPlease contact "
     "Support and Contact for Pextal in your duty.\n\nHave you already contacted ?"},
    // replacement parts
    {"RAID "
     "電池の性能/"
     "機能を維持するために交換が必要となります。\n交換部品手配について、ご購入元までご相談ください"
     "。\n\n交換部品を手配しましたでしょうか？",
     "It is necessary to replace RAID's Battery in order to maintain the ability and function of "
     "it.\nPlease arrange for replacement parts in your duty.\n\nHave you already arranged ?"},
};

const TextPair kEventLimitTexts[kMessageKindCount] = {
    // kind 0
    {"CPU FAN が寿命を超えました。%s", "CPU FAN exceeded the operating life.%s"},
    // kind 1
    {"UPS BBU が寿命を超えました。%s", "UPS's BBUs exceeded the operating life.%s"},
    // kind 2
    {"FAN (ハウジングファン) が寿命を超えました。%s",
     "FAN (housing fan) exceeded the operating life.%s"},
    // kind 3
    {"PSU (電源供給装置) が寿命を超えました。%s",
     "PSU (power supply unit) exceeded the operating life.%s"},
    // kind 4
    {"RAID 電池が寿命を超えました(RAID#%02d)。%s",
     "RAID's Battery exceeded the operating life (RAID#%02d).%s"},
    // kind 5
    {"RAID 電池が寿命を超えました(RAID_Card#%02d)。%s",
     "RAID's Battery exceeded the operating life(RAID_Card#%02d).%s"},
    // kind 6
    {"RAID 電池が寿命を超えました(RAID_Card#%02d)。%s",
     "RAID's Battery exceeded the operating life(RAID_Card#%02d).%s"},
};

const TextPair kEventPreHoursTexts[kMessageKindCount] = {
    // kind 0
    {"CPU FAN の寿命時間まで%d時間です。%s",
     "It is %d hours till the operating life time of CPU FAN.%s"},
    // kind 1
    {"UPS BBU の寿命時間まで%d時間です。%s",
     "It is %d hours till the operating life time of UPS BBU.%s"},
    // kind 2
    {"FAN (ハウジングファン) の寿命時間まで%d時間です。%s",
     "It is %d hours till the operating life time of FAN (housing fan).%s"},
    // kind 3
    {"PSU (電源供給装置) の寿命時間まで%d時間です。%s",
     "It is %d hours till the operating life time of PSU (power supply unit).%s"},
    // kind 4
    {"RAID 電池の寿命時間まで%d時間です(RAID#%02d)。%s",
     "It is %d hours till the operating life time of RAID Battery (RAID#%02d).%s"},
    // kind 5
    {"RAID 電池の寿命時間まで%d時間です(RAID_Card#%02d)。%s",
     "It is %d hours till the operating life time of RAID Battery(RAID_Card#%02d).%s"},
    // kind 6
    {"RAID 電池の寿命時間まで%d時間です(RAID_Card#%02d)。%s",
     "It is %d hours till the operating life time of RAID Battery(RAID_Card#%02d).%s"},
};

const TextPair kEventPreDaysTexts[kMessageKindCount] = {
    // kind 0
    {"CPU FAN の寿命時間まで%d時間(24時間運用換算で約%d日)です。%s",
     "It is %d hours (about %d days) till the operating life time of CPU FAN.%s"},
    // kind 1
    {"UPS BBU の寿命時間まで%d日です。%s",
     "It is %d days till the operating life time of UPS BBU.%s"},
    // kind 2
    {"FAN (ハウジングファン) の寿命時間まで%d時間(24時間運用換算で約%d日)です。%s",
     "It is %d hours (about %d days) till the operating life time of FAN (housing fan).%s"},
    // kind 3
    {"PSU (電源供給装置) の寿命時間まで%d時間(24時間運用換算で約%d日)です。%s",
     "It is %d hours (about %d days) till the operating life time of PSU (power supply unit).%s"},
    // kind 4
    {"RAID 電池の寿命時間まで%d日です(RAID#%02d)。%s",
     "It is %d days till the operating life time of RAID Battery (RAID#%02d).%s"},
    // kind 5
    {"RAID 電池の寿命時間まで%d日です(RAID_Card#%02d)。%s",
     "It is %d days till the operating life time of RAID Battery(RAID_Card#%02d).%s"},
    // kind 6
    {"RAID 電池の寿命時間まで%d日です(RAID_Card#%02d)。%s",
     "It is %d days till the operating life time of RAID Battery(RAID_Card#%02d).%s"},
};

const TextPair kEventLimitAdvice[kAdviceGroupCount] = {
    // standard line
    {"早期に修理相談窓口までご連絡ください。",
     "Please contact Support and Contact for Halvorn soon in your duty."},
    // large-server line
    {"早期に修理相談窓口までご連絡ください。",
     "Please contact Support and Contact for Pextal soon in your duty."},
    // replacement parts
    {"早期にご購入元までご相談ください。",
     "Please arrange for replacement parts soon in your duty."},
};

const TextPair kEventPreAdvice[kAdviceGroupCount] = {
    // standard line
    {"修理相談窓口までご連絡ください。",
     "Please contact Support and Contact for Halvorn in your duty."},
    // large-server line
    {"修理相談窓口までご連絡ください。",
     "Please contact Support and Contact for Pextal in your duty."},
    // replacement parts
    {"ご購入元までご相談ください。", "Please arrange for replacement parts in your duty."},
};
}  // namespace quillon
