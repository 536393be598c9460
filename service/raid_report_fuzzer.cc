// Feeds arbitrary bytes to the RAID report scan, both through the file reader (as the
// discovery reads rdquerylog.txt) and piece by piece.

#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/raid_discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quillon::RaidReportLine;
  using quillon::RaidReportScan;
  RaidReportScan scan;
  if (size > 0) {
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (file != nullptr) {
      quillon::ScanRaidReport(file, &scan, [](const RaidReportLine& line) {
        if (line.kind == RaidReportLine::kBattery &&
            (line.battery < 1 || line.battery > quillon::kMaxRaid)) {
          __builtin_trap();
        }
        (void)quillon::IsListedRaidModel(line.product);
      });
      fclose(file);
    }
  }
  if (scan.batteries() > quillon::kMaxRaid || scan.batteries() > scan.controllers()) {
    __builtin_trap();
  }
  // The same bytes as pieces of any length (the first byte picks it).
  if (size > 1) {
    size_t piece = 1 + data[0] % 200;
    RaidReportScan direct;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!rest.empty()) {
      direct.Feed(rest.substr(0, piece));
      rest.remove_prefix(rest.size() < piece ? rest.size() : piece);
    }
    if (direct.batteries() > quillon::kMaxRaid) __builtin_trap();
  }
  return 0;
}
