#include "service/raid_discovery.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "platform/raid_query_script.h"
#include "service/hardware_init_test_util.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

// Scans a report through the same reader the discovery uses, from a file opened as the
// discovery opens the script's report.
RaidReportScan ScanText(const std::string& text, std::vector<RaidReportLine>* lines = nullptr) {
  RaidReportScan scan;
  TempDir dir("quillon-raid-");
  const std::string path = dir.File("report.txt");
  std::ofstream(path, std::ios::binary) << text;
  std::FILE* f = std::fopen(path.c_str(), "r");
  EXPECT_NE(f, nullptr) << path;
  if (f == nullptr) return scan;
  ScanRaidReport(f, &scan, [&](const RaidReportLine& l) {
    if (lines) lines->push_back(l);
  });
  std::fclose(f);
  return scan;
}

TEST(RaidReportScanTest, SecondAdapterOnlyWithBatteryGetsNumberOne) {
  std::vector<RaidReportLine> lines;
  RaidReportScan scan = ScanText(
      "Adapter number: 0\nProduct: RAID A\n\n   \nAdapter number: 1\n"
      "  Product: MegaRAID SAS 8408E\n\tBattery: BBU present\nBattery: BBU again\n",
      &lines);
  EXPECT_EQ(scan.controllers(), 2);
  EXPECT_EQ(scan.batteries(), 1);  // two battery lines in one controller count once
  int batteries = 0;
  for (const RaidReportLine& l : lines) {
    if (l.kind != RaidReportLine::kBattery) continue;
    ++batteries;
    EXPECT_EQ(l.battery, 1);
    EXPECT_EQ(l.controller, 2);
    EXPECT_EQ(l.product, "Product: MegaRAID SAS 8408E");
  }
  EXPECT_EQ(batteries, 1);
  EXPECT_EQ(scan.product(), "--");
}

TEST(RaidReportScanTest, MarkersTestedInOrderFirstMatchCounts) {
  RaidReportScan scan;
  EXPECT_EQ(scan.Feed("Product: x : BBU\n").kind, RaidReportLine::kProduct);
  EXPECT_EQ(scan.Feed(": BBU before any adapter\n").kind, RaidReportLine::kOther);
  EXPECT_EQ(scan.Feed("Adapter number: 3 : BBU Product:\n").kind, RaidReportLine::kAdapter);
  EXPECT_EQ(scan.batteries(), 0);
  EXPECT_EQ(scan.Feed("x: BBU\r\n").kind, RaidReportLine::kBattery);
  // Case and spelling matter.
  EXPECT_EQ(scan.Feed("adapter number: 4\n").kind, RaidReportLine::kOther);
  EXPECT_EQ(scan.Feed("Adapter number 4\n").kind, RaidReportLine::kOther);
  EXPECT_EQ(scan.controllers(), 1);
}

TEST(RaidReportScanTest, SeventeenthControllerCountedButItsBatteryIgnored) {
  std::string text;
  for (int i = 0; i < 20; ++i) {
    text += "Adapter number: " + std::to_string(i) + "\nProduct: P" + std::to_string(i) +
            "\nBattery: BBU present\n";
  }
  RaidReportScan scan = ScanText(text);
  EXPECT_EQ(scan.controllers(), 20);
  EXPECT_EQ(scan.batteries(), 16);
}

TEST(RaidReportScanTest, AwkwardInputNeverBreaksTheScan) {
  // A line far over the limit is read in pieces; a marker in a later piece still counts, one
  // cut across a piece boundary does not.
  std::string long_line = std::string(300, 'x') + "Adapter number: 9\n";
  EXPECT_EQ(ScanText(long_line).controllers(), 1);
  std::string cut = std::string(126 - 7, 'y') + "Adapter number: 1\n";  // boundary inside
  EXPECT_EQ(ScanText(cut).controllers(), 0);
  // No final line feed.
  RaidReportScan last = ScanText("Adapter number: 1\nProduct: Z\nBattery: BBU");
  EXPECT_EQ(last.batteries(), 1);
  // Binary bytes: a zero byte ends the text of its piece.
  std::string binary("Adapter number: 1\n\xff\xfe\x01Product: \x80\x81\n", 33);
  binary += std::string("\0: BBU\n", 7);
  binary += "Battery: BBU\n";
  RaidReportScan bin = ScanText(binary);
  EXPECT_EQ(bin.controllers(), 1);
  EXPECT_EQ(bin.batteries(), 1);
  // Empty report, and only blank lines.
  EXPECT_EQ(ScanText("").controllers(), 0);
  EXPECT_EQ(ScanText("\n\n \t \r\n").controllers(), 0);
  // A product text is at most one piece long.
  RaidReportScan big = ScanText("Adapter number: 1\nProduct: " + std::string(500, 'p') + "\n");
  EXPECT_LT(big.product().size(), kRaidLineLimit);
}

TEST(IsListedRaidModelTest, FourModels) {
  EXPECT_TRUE(IsListedRaidModel("Product: MegaRAID U320-2"));
  EXPECT_TRUE(IsListedRaidModel("Product: MegaRAID SAS PCI Express(TM) ROMB rev 2"));
  EXPECT_TRUE(IsListedRaidModel("Product: LSI MegaRAID SAS 8408E"));
  EXPECT_TRUE(IsListedRaidModel("MegaRAID SAS 8300XLP"));
  EXPECT_FALSE(IsListedRaidModel("Product: MegaRAID SAS 8300"));
  EXPECT_FALSE(IsListedRaidModel("--"));
}

class RaidDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed_.store.SetDword(kLimitKey, "RAID", 26280);
    bed_.store.SetDword(kLimitKey, "RAID_N", 30000);
    bed_.store.SetDword(kLimitPreKey, "RAID", 4320);
    bed_.store.SetDword(kLimitPreKey, "RAID_N", 8750);
  }
  Lines Traces() { return bed_.sink.messages(); }
  HardwareTestBed bed_;
};

TEST_F(RaidDiscoveryTest, ThreeBatteriesWithTheirClasses) {
  bed_.ReportAlways(
      "Adapter number: 0\nProduct: RAID 9361\nBattery: BBU present\n"
      "Adapter number: 1\nProduct: MegaRAID SAS 8408E\nBattery: BBU present\n"
      "Adapter number: 2\nProduct: no battery here\n"
      "Adapter number: 3\nBattery: BBU present\n");
  // Battery 3 was set up before: it is counted and traced, its settings stay.
  bed_.store.SetText(kSetupDateKey, "RAID03", "2020/01/01");
  bed_.store.SetDword(kLimitKey, "RAID03", 111);
  EXPECT_EQ(RaidDiscovery(bed_.env()).Discover(), 3);
  EXPECT_EQ(Traces(), (Lines{
                          "GetBBU_3: Adapter found  [Ctl=1].",
                          "GetBBU_3: BBU is present [Ctl=1] [Product: RAID 9361].",
                          "GetBBU_3: Adapter found  [Ctl=2].",
                          "GetBBU_3: BBU is present [Ctl=2] [Product: MegaRAID SAS 8408E].",
                          "GetBBU_3: Adapter found  [Ctl=3].",
                          "GetBBU_3: Adapter found  [Ctl=4].",
                          // The product text is only reset after a battery, so controller 4
                          // shows the product line of controller 3.
                          "GetBBU_3: BBU is present [Ctl=4] [Product: no battery here].",
                          "GetBBU_3: Return [BBUCount=3].",
                      }));
  EXPECT_EQ(bed_.store.GetDword(kLimitKey, "RAID01"), 26280u);
  EXPECT_EQ(bed_.store.GetDword(kLimitPreKey, "RAID01"), 4320u);
  EXPECT_EQ(bed_.store.GetDword(kRaidConsumablesKey, "RAID01"), 1u);
  EXPECT_EQ(bed_.store.GetDword(kLimitKey, "RAID02"), 30000u);
  EXPECT_EQ(bed_.store.GetDword(kLimitPreKey, "RAID02"), 8750u);
  EXPECT_EQ(bed_.store.GetDword(kRaidConsumablesKey, "RAID02"), 0u);
  EXPECT_EQ(bed_.store.GetDword(kLimitKey, "RAID03"), 111u);
  EXPECT_FALSE(bed_.store.HasValue(kRaidConsumablesKey, "RAID03"));
  EXPECT_TRUE(bed_.clock.sleeps().empty());
  // The script ran once, from the program directory, quoted, and was waited for.
  ASSERT_EQ(bed_.launcher.command_lines.size(), 1u);
  EXPECT_EQ(bed_.launcher.command_lines[0], "\"" + bed_.dir + std::string(kRaidQueryScript) + "\"");
  EXPECT_EQ(bed_.launcher.working_directories[0], bed_.dir);
}

TEST_F(RaidDiscoveryTest, LargeServerLineGivesClassTwo) {
  bed_.store.SetDword(kRootKey, "ModelType", 1);
  bed_.ReportAlways(
      "Adapter number: 0\nProduct: MegaRAID SAS 8408E\nBattery: BBU\n"
      "Adapter number: 1\nProduct: other\nBattery: BBU\n");
  EXPECT_EQ(RaidDiscovery(bed_.env()).Discover(), 2);
  for (const char* name : {"RAID01", "RAID02"}) {
    EXPECT_EQ(bed_.store.GetDword(kRaidConsumablesKey, name), 2u);
    EXPECT_EQ(bed_.store.GetDword(kLimitKey, name), 30000u);
    EXPECT_EQ(bed_.store.GetDword(kLimitPreKey, name), 8750u);
  }
}

TEST_F(RaidDiscoveryTest, MissingTemplateIsNotCopied) {
  bed_.store.DeleteValue(kLimitKey, "RAID");
  bed_.ReportAlways("Adapter number: 0\nBattery: BBU\n");
  EXPECT_EQ(RaidDiscovery(bed_.env()).Discover(), 1);
  EXPECT_FALSE(bed_.store.HasValue(kLimitKey, "RAID01"));
  EXPECT_EQ(bed_.store.GetDword(kLimitPreKey, "RAID01"), 4320u);
  EXPECT_EQ(bed_.store.GetDword(kRaidConsumablesKey, "RAID01"), 1u);
}

TEST_F(RaidDiscoveryTest, NoRaidManagerGivesUpAtOnce) {
  bed_.launcher.script = [](int, uint32_t* code) {
    *code = 1;
    return kOk;
  };
  EXPECT_EQ(RaidDiscovery(bed_.env()).Discover(), -1);
  EXPECT_EQ(bed_.launcher.runs, 1);
  EXPECT_TRUE(bed_.clock.sleeps().empty());
  EXPECT_EQ(Traces(),
            (Lines{"GetBBU_3: RdQueryH.bat [ExitCode=1].", "GetBBU_3: Return [BBUCount=-1]."}));
}

TEST_F(RaidDiscoveryTest, SixAttemptsSixtySecondsApartThenZero) {
  // Attempt 0 cannot start, 1 fails with code 2, 2 leaves no report, 3 and 4 name no
  // controller, 5 again fails.
  bed_.launcher.script = [this](int call, uint32_t* code) -> Status {
    *code = 0;
    if (call == 0) return kErrorNotFound;
    if (call == 1 || call == 5) *code = 2;
    if (call == 3) bed_.WriteReport("Product: x\n: BBU\n");
    return kOk;
  };
  EXPECT_EQ(RaidDiscovery(bed_.env()).Discover(), 0);
  EXPECT_EQ(bed_.launcher.runs, 6);
  EXPECT_EQ(bed_.clock.sleeps(), std::vector<uint32_t>(5, 60000));
  EXPECT_EQ(Traces(), (Lines{
                          "GetBBU_3: CreateProc(RdQueryH.bat) failed [LastErr=2].",
                          "GetBBU_3: RdQueryH.bat [Retry=1].",
                          "GetBBU_3: RdQueryH.bat [ExitCode=2].",
                          "GetBBU_3: RdQueryH.bat [Retry=2].",
                          "GetBBU_3: File(rdquerylog.txt) open failed [LastErr=2].",
                          "GetBBU_3: RdQueryH.bat [Retry=3].",
                          "GetBBU_3: No Adapter found.",
                          "GetBBU_3: RdQueryH.bat [Retry=4].",
                          "GetBBU_3: No Adapter found.",
                          "GetBBU_3: RdQueryH.bat [Retry=5].",
                          "GetBBU_3: RdQueryH.bat [ExitCode=2].",
                          "GetBBU_3: Return [BBUCount=0].",
                      }));
}

TEST_F(RaidDiscoveryTest, RetrySucceedsWithAControllerWithoutBattery) {
  bed_.launcher.script = [this](int call, uint32_t* code) {
    *code = call == 0 ? 7 : 0;
    if (call == 1) bed_.WriteReport("Adapter number: 0\nProduct: none\n");
    return kOk;
  };
  EXPECT_EQ(RaidDiscovery(bed_.env()).Discover(), 0);
  EXPECT_EQ(bed_.launcher.runs, 2);
  EXPECT_EQ(bed_.clock.sleeps().size(), 1u);
  EXPECT_EQ(Traces().back(), "GetBBU_3: Return [BBUCount=0].");
}

TEST_F(RaidDiscoveryTest, RunBatchReportsExitCodes) {
  bed_.launcher.script = [](int call, uint32_t* code) -> Status {
    if (call == 0) return kErrorAccessDenied;
    *code = call == 1 ? 0 : 255;
    return kOk;
  };
  RaidDiscovery discovery(bed_.env());
  EXPECT_EQ(discovery.RunBatch(), kRaidBatchNotStarted);
  EXPECT_EQ(discovery.RunBatch(), 0u);
  EXPECT_EQ(discovery.RunBatch(), 255u);
  EXPECT_EQ(Traces(), (Lines{"GetBBU_3: CreateProc(RdQueryH.bat) failed [LastErr=5].",
                             "GetBBU_3: RdQueryH.bat [ExitCode=255]."}));
}

}  // namespace
}  // namespace quillon
