#include "common/init/setup_ini.h"

#include "platform/profile.h"

namespace quillon {
namespace {

// The version text goes into a 16-byte buffer: at most 15 bytes of text.
constexpr size_t kVersionBufferSize = 16;

}  // namespace

SetupIniValues ReadSetupIni(const std::string& path) {
  SetupIniValues v;
  auto read = [&path](const char* section, const char* key, uint32_t* value) {
    *value = ReadProfileInt(path, section, key, *value);
  };
  read("SUPPORT", "YEARS", &v.support_years);
  v.version = ReadProfileString(path, "VERSION", "VL", "N/A", kVersionBufferSize);
  // A VL line without a text names no version; it reads like a missing one.
  if (v.version.empty()) v.version = "N/A";
  read("PSUCHK", "PSU_CHK", &v.psu_check);
  read("PSUCHK", "PSU_S", &v.psu_s_limit);
  read("NOTIFY", "DAYS_LMT", &v.notify_days);
  read("NOTIFY", "DAYS_PRE", &v.notify_days_pre);

  read("LIMITPRE", "UPS_BBU", &v.lead_ups);
  read("LIMITPRE", "CPU_FAN", &v.lead_cpu_fan);
  read("LIMITPRE", "CAIS_FAN", &v.lead_cais_fan);
  read("LIMITPRE", "PSU", &v.lead_psu);
  read("LIMITPRE", "RAID_BBU", &v.lead_raid);
  read("LIMITPRE", "RAID_NICD", &v.lead_raid_n);
  read("LIMITPRE", "RAID_LION", &v.lead_raid_l);

  read("LIMIT", "CPU_FAN", &v.limit_cpu_fan);
  read("LIMIT", "CAIS_FAN", &v.limit_cais_fan);
  read("LIMIT", "PSU", &v.limit_psu);
  read("LIMIT", "UPS_BBU", &v.limit_ups);
  read("LIMIT", "RAID_BBU", &v.limit_raid);
  read("LIMIT", "RAID_NICD", &v.limit_raid_n);
  read("LIMIT", "RAID_LION", &v.limit_raid_l);
  return v;
}

}  // namespace quillon
