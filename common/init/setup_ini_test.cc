#include "common/init/setup_ini.h"

#include <gtest/gtest.h>

#include "common/init/test_support.h"

namespace quillon {
namespace {

TEST(SetupIniTest, MissingFileGivesTheShippedDefaults) {
  TempProgramDir dir;
  const SetupIniValues v = ReadSetupIni(dir.ini());
  EXPECT_EQ(v.support_years, 5u);
  EXPECT_EQ(v.version, "N/A");
  EXPECT_EQ(v.psu_check, 0u);
  EXPECT_EQ(v.psu_s_limit, 0u);
  EXPECT_EQ(v.notify_days, 30u);
  EXPECT_EQ(v.notify_days_pre, 3u);
  EXPECT_EQ(v.lead_ups, 2160u);
  EXPECT_EQ(v.lead_cpu_fan, 8750u);
  EXPECT_EQ(v.lead_cais_fan, 8750u);
  EXPECT_EQ(v.lead_psu, 8750u);
  EXPECT_EQ(v.lead_raid, 4320u);
  EXPECT_EQ(v.lead_raid_n, 8750u);
  EXPECT_EQ(v.lead_raid_l, 8750u);
  EXPECT_EQ(v.limit_cpu_fan, 0u);
  EXPECT_EQ(v.limit_cais_fan, 0u);
  EXPECT_EQ(v.limit_psu, 0u);
  EXPECT_EQ(v.limit_ups, 17520u);
  EXPECT_EQ(v.limit_raid, 26280u);
  EXPECT_EQ(v.limit_raid_n, 26280u);
  EXPECT_EQ(v.limit_raid_l, 21900u);
}

TEST(SetupIniTest, EveryKeyIsReadFromItsSectionWhateverTheCase) {
  TempProgramDir dir;
  dir.WriteIni(
      "; Quillon setup\r\n[support]\r\nyears=7\r\n[Version]\r\nVl=V5.1 L13-03\r\n"
      "[PSUCHK]\r\nPSU_CHK=1\r\nPSU_S=43800\r\n[NOTIFY]\r\nDAYS_LMT=14\r\nDAYS_PRE=2\r\n"
      "[LIMITPRE]\r\nUPS_BBU=1\r\nCPU_FAN=2\r\nCAIS_FAN=3\r\nPSU=4\r\nRAID_BBU=5\r\n"
      "RAID_NICD=6\r\nRAID_LION=7\r\n[LIMIT]\r\nCPU_FAN=11\r\nCAIS_FAN=12\r\nPSU=13\r\n"
      "UPS_BBU=14\r\nRAID_BBU=15\r\nRAID_NICD=16\r\nRAID_LION=17\r\n");
  const SetupIniValues v = ReadSetupIni(dir.ini());
  EXPECT_EQ(v.support_years, 7u);
  EXPECT_EQ(v.version, "V5.1 L13-03");
  EXPECT_EQ(v.psu_check, 1u);
  EXPECT_EQ(v.psu_s_limit, 43800u);
  EXPECT_EQ(v.notify_days, 14u);
  EXPECT_EQ(v.notify_days_pre, 2u);
  EXPECT_EQ(v.lead_ups, 1u);
  EXPECT_EQ(v.lead_cpu_fan, 2u);
  EXPECT_EQ(v.lead_cais_fan, 3u);
  EXPECT_EQ(v.lead_psu, 4u);
  EXPECT_EQ(v.lead_raid, 5u);
  EXPECT_EQ(v.lead_raid_n, 6u);
  EXPECT_EQ(v.lead_raid_l, 7u);
  // LIMIT and LIMITPRE share key names: each section is read on its own.
  EXPECT_EQ(v.limit_cpu_fan, 11u);
  EXPECT_EQ(v.limit_cais_fan, 12u);
  EXPECT_EQ(v.limit_psu, 13u);
  EXPECT_EQ(v.limit_ups, 14u);
  EXPECT_EQ(v.limit_raid, 15u);
  EXPECT_EQ(v.limit_raid_n, 16u);
  EXPECT_EQ(v.limit_raid_l, 17u);
}

TEST(SetupIniTest, BadValuesReadAsTheirLeadingNumberOrZero) {
  TempProgramDir dir;
  dir.WriteIni(
      "[SUPPORT]\nYEARS=ten\n[NOTIFY]\nDAYS_LMT=-30\nDAYS_PRE=4days\nDAYS_PRE=9\n"
      "[LIMIT]\nUPS_BBU=99999999999\n");
  const SetupIniValues v = ReadSetupIni(dir.ini());
  EXPECT_EQ(v.support_years, 0u);       // not a number
  EXPECT_EQ(v.notify_days, 0u);         // negative
  EXPECT_EQ(v.notify_days_pre, 4u);     // leading digits; the first of two keys wins
  EXPECT_EQ(v.limit_ups, 4294967295u);  // too large for 32 bits
  EXPECT_EQ(v.limit_raid, 26280u);      // missing key keeps its default
}

TEST(SetupIniTest, VersionTextEmptyOrTooLong) {
  TempProgramDir dir;
  dir.WriteIni("[VERSION]\nVL=\n");
  EXPECT_EQ(ReadSetupIni(dir.ini()).version, "N/A");
  dir.WriteIni("[VERSION]\nVL=   \n");
  EXPECT_EQ(ReadSetupIni(dir.ini()).version, "N/A");
  dir.WriteIni("[VERSION]\nVL=V5.1 L13-03 and more text\n");
  EXPECT_EQ(ReadSetupIni(dir.ini()).version, "V5.1 L13-03 and");
  dir.WriteIni("[VERSION]\n");
  EXPECT_EQ(ReadSetupIni(dir.ini()).version, "N/A");
}

}  // namespace
}  // namespace quillon
