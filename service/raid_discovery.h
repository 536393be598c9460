#ifndef QUILLON_SERVICE_RAID_DISCOVERY_H_
#define QUILLON_SERVICE_RAID_DISCOVERY_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "common/settings/schema.h"
#include "platform/event.h"
#include "platform/raid_query_script.h"
#include "service/service_env.h"

namespace quillon {

// The report the RAID manager's script (kRaidQueryScript) writes in the program directory.
inline constexpr char kRaidReportFile[] = "rdquerylog.txt";
// Attempts of one discovery and the pause before each but the first.
inline constexpr int kRaidAttempts = 6;
inline constexpr uint32_t kRaidRetryPauseMs = 60000;
// The script's exit code that makes the discovery give up at once (no RAID manager), and the
// code RunBatch reports when the script cannot be started.
inline constexpr uint32_t kRaidNoManager = 1;
inline constexpr uint32_t kRaidBatchNotStarted = 3;
// Longest piece of a report line looked at in one go; longer lines are read in pieces.
inline constexpr size_t kRaidLineLimit = 128;

// What one piece of the report meant to the scan.
struct RaidReportLine {
  enum Kind { kOther, kAdapter, kProduct, kBattery };
  Kind kind = kOther;
  int controller = 0;   // the controller count after this line
  int battery = 0;      // kBattery: the battery's number n (1-16)
  std::string product;  // kBattery: the product text the battery belongs to
};

// The per-attempt state of the report scan: controllers counted from 1, a battery-seen flag
// for controllers 1-16, the battery count and the current product text. A piece is tested for
// "Adapter number:", "Product:" and ": BBU" in that order (after leading white space, with its
// line end dropped and cut at a zero byte); only the first match counts. A battery counts
// once per controller, only for controllers 1-16; after a battery the product text becomes
// "--". Pure, no I/O; not thread-safe.
class RaidReportScan {
 public:
  RaidReportLine Feed(std::string_view piece);
  int controllers() const { return controllers_; }
  int batteries() const { return batteries_; }
  const std::string& product() const { return product_; }

 private:
  int controllers_ = 0;
  int batteries_ = 0;
  bool seen_[kMaxRaid + 1] = {};
  std::string product_;
};

// Reads `file` to its end in pieces of at most kRaidLineLimit - 1 characters, each ending at a
// line feed or at the limit (as a text read with a 128-byte buffer does), and feeds each piece
// to `scan`; `on_line` (may be empty) sees every result. Never reads past a buffer, whatever
// the file holds.
void ScanRaidReport(std::FILE* file, RaidReportScan* scan,
                    const std::function<void(const RaidReportLine&)>& on_line);

// True when the product text names one of the four adapter models whose batteries take the
// RAID_N limits on the standard server line.
bool IsListedRaidModel(std::string_view product);

// RAID battery discovery: runs kRaidQueryScript from the program directory, scans its report and
// counts the controllers with a battery backup unit. A battery new to the store (empty setup
// date) gets its limit, pre-warning lead and RaidConsumables class from the server line
// (ModelType) and the controller's product. Uses env.store, env.system, env.clock (the
// 60-second pauses), env.trace and env.launcher; none owned. A signalled `stop` (a stop
// request; kInvalidWaitable: none) ends a pause at once and ends the script with everything
// it started. Runs on the calling thread.
class RaidDiscovery {
 public:
  explicit RaidDiscovery(const ServiceEnv& env, Waitable stop = kInvalidWaitable);

  // Up to 6 attempts, 60 seconds apart, until a report names at least one controller.
  // Returns the number of batteries found (0-16), 0 when every attempt failed, or -1 at once
  // when the script exits with code 1 (no RAID manager on this machine). After a stop
  // request it returns 0 at once, without its closing trace line.
  int Discover();

  // Starts the script in the program directory and waits for it. Returns its exit code, or 3
  // when it cannot be started or was ended by a stop request.
  uint32_t RunBatch();

 private:
  void SetUpNewBattery(int n, const std::string& product);
  bool Stopped() const;

  ServiceEnv env_;
  Waitable stop_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_RAID_DISCOVERY_H_
