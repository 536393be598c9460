#ifndef QUILLON_COMMON_INIT_SETUP_INI_H_
#define QUILLON_COMMON_INIT_SETUP_INI_H_

#include <cstdint>
#include <string>

namespace quillon {

// The setup INI file beside the programs.
inline constexpr char kSetupIniName[] = "TALVENU2.ini";

// Everything the defaults initialiser takes from TALVENU2.ini. Each field starts as the
// shipped default and holds the file's value when the file has the key.
struct SetupIniValues {
  uint32_t support_years = 5;    // [SUPPORT] YEARS -> SupportLimit
  std::string version = "N/A";   // [VERSION] VL (at most 15 bytes; empty gives "N/A") -> V/L
  uint32_t psu_check = 0;        // [PSUCHK] PSU_CHK -> PsuCheck
  uint32_t psu_s_limit = 0;      // [PSUCHK] PSU_S -> Limit PSU_S (only when psu_check != 0)
  uint32_t notify_days = 30;     // [NOTIFY] DAYS_LMT -> NotifyDays
  uint32_t notify_days_pre = 3;  // [NOTIFY] DAYS_PRE -> NotifyDaysPre

  // [LIMITPRE] -> LifeTime\LimitPre, hours.
  uint32_t lead_ups = 2160;       // UPS_BBU -> UPS
  uint32_t lead_cpu_fan = 8750;   // CPU_FAN
  uint32_t lead_cais_fan = 8750;  // CAIS_FAN
  uint32_t lead_psu = 8750;       // PSU
  uint32_t lead_raid = 4320;      // RAID_BBU -> RAID (and RAID01..RAID16 of a new key)
  uint32_t lead_raid_n = 8750;    // RAID_NICD -> RAID_N
  uint32_t lead_raid_l = 8750;    // RAID_LION -> RAID_L

  // [LIMIT] -> LifeTime\Limit, hours.
  uint32_t limit_cpu_fan = 0;     // CPU_FAN
  uint32_t limit_cais_fan = 0;    // CAIS_FAN
  uint32_t limit_psu = 0;         // PSU
  uint32_t limit_ups = 17520;     // UPS_BBU -> UPS
  uint32_t limit_raid = 26280;    // RAID_BBU -> RAID (and RAID01..RAID16 of a new key)
  uint32_t limit_raid_n = 26280;  // RAID_NICD -> RAID_N
  uint32_t limit_raid_l = 21900;  // RAID_LION -> RAID_L
};

// Reads the INI file at `path` through the profile reader (platform/profile.h). A missing
// file, section or key leaves the default; a value that is no number reads as 0. Never fails.
SetupIniValues ReadSetupIni(const std::string& path);

}  // namespace quillon

#endif  // QUILLON_COMMON_INIT_SETUP_INI_H_
