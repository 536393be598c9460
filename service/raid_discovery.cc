#include "service/raid_discovery.h"

#include <cerrno>
#include <cstring>

#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/process_launcher.h"
#include "platform/system_info.h"

namespace quillon {
namespace {

constexpr char kAdapterMarker[] = "Adapter number:";
constexpr char kProductMarker[] = "Product:";
constexpr char kBatteryMarker[] = ": BBU";

// Adapters whose batteries are looked after like those of the large-server line.
constexpr const char* kListedModels[] = {
    "MegaRAID U320-2",
    "MegaRAID SAS PCI Express(TM) ROMB",
    "MegaRAID SAS 8408E",
    "MegaRAID SAS 8300XLP",
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

RaidReportLine RaidReportScan::Feed(std::string_view piece) {
  // The report is text: a zero byte ends the line as far as the scan is concerned.
  size_t zero = piece.find('\0');
  if (zero != std::string_view::npos) piece = piece.substr(0, zero);
  while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
  // The line end is no part of the text (it would end up inside trace lines otherwise).
  while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r')) piece.remove_suffix(1);

  RaidReportLine line;
  line.controller = controllers_;
  if (piece.empty()) return line;
  if (piece.find(kAdapterMarker) != std::string_view::npos) {
    line.kind = RaidReportLine::kAdapter;
    line.controller = ++controllers_;
  } else if (piece.find(kProductMarker) != std::string_view::npos) {
    line.kind = RaidReportLine::kProduct;
    product_.assign(piece);
  } else if (piece.find(kBatteryMarker) != std::string_view::npos) {
    if (controllers_ >= 1 && controllers_ <= kMaxRaid && !seen_[controllers_]) {
      seen_[controllers_] = true;
      line.kind = RaidReportLine::kBattery;
      line.battery = ++batteries_;
      line.product = product_;
      product_ = "--";
    }
  }
  return line;
}

void ScanRaidReport(std::FILE* file, RaidReportScan* scan,
                    const std::function<void(const RaidReportLine&)>& on_line) {
  char buffer[kRaidLineLimit];
  while (std::fgets(buffer, sizeof(buffer), file) != nullptr) {
    // fgets stops at a line feed or the buffer's end; a zero byte read from the file would
    // hide the rest of the piece from strlen, which is what a text read does anyway.
    RaidReportLine line = scan->Feed(std::string_view(buffer, std::strlen(buffer)));
    if (on_line) on_line(line);
  }
}

bool IsListedRaidModel(std::string_view product) {
  for (const char* model : kListedModels) {
    if (product.find(model) != std::string_view::npos) return true;
  }
  return false;
}

RaidDiscovery::RaidDiscovery(const ServiceEnv& env, Waitable stop) : env_(env), stop_(stop) {}

bool RaidDiscovery::Stopped() const { return stop_ != kInvalidWaitable && WaitOne(stop_, 0) == 0; }

uint32_t RaidDiscovery::RunBatch() {
  std::string dir = env_.system->ProgramDirectory();
  // Quoted, so that a program directory with blanks in it stays one argument.
  std::string command_line = "\"" + dir + kRaidQueryScript + "\"";
  uint32_t exit_code = 0;
  Status status = env_.launcher->RunUntil(command_line, dir, stop_, &exit_code);
  // A script ended by a stop request is no failure of the RAID manager.
  if (status == kErrorOperationAborted) return kRaidBatchNotStarted;
  if (status != kOk) {
    env_.trace->Tracef("GetBBU_3: CreateProc(RdQueryH.bat) failed [LastErr=%ld].",
                       static_cast<long>(status));
    return kRaidBatchNotStarted;
  }
  if (exit_code != 0) {
    env_.trace->Tracef("GetBBU_3: RdQueryH.bat [ExitCode=%ld].", static_cast<long>(exit_code));
  }
  return exit_code;
}

int RaidDiscovery::Discover() {
  int result = 0;
  for (int attempt = 0; attempt < kRaidAttempts; ++attempt) {
    if (attempt > 0) {
      if (!env_.clock->Pause(kRaidRetryPauseMs, stop_)) return 0;
      env_.trace->Tracef("GetBBU_3: RdQueryH.bat [Retry=%d].", attempt);
    }
    uint32_t exit_code = RunBatch();
    if (Stopped()) return 0;
    if (exit_code == kRaidNoManager) {
      result = -1;
      break;
    }
    if (exit_code != 0) {
      result = 0;
      continue;
    }
    std::string path = env_.system->ProgramDirectory() + kRaidReportFile;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
      env_.trace->Tracef("GetBBU_3: File(rdquerylog.txt) open failed [LastErr=%ld].",
                         static_cast<long>(errno));
      continue;
    }
    RaidReportScan scan;
    ScanRaidReport(file, &scan, [this](const RaidReportLine& line) {
      if (line.kind == RaidReportLine::kAdapter) {
        env_.trace->Tracef("GetBBU_3: Adapter found  [Ctl=%d].", line.controller);
      } else if (line.kind == RaidReportLine::kBattery) {
        SetUpNewBattery(line.battery, line.product);
        env_.trace->Tracef("GetBBU_3: BBU is present [Ctl=%d] [%s].", line.controller,
                           line.product.c_str());
      }
    });
    std::fclose(file);
    result = scan.batteries();
    if (scan.controllers() > 0) break;
    env_.trace->Trace("GetBBU_3: No Adapter found.");
  }
  env_.trace->Tracef("GetBBU_3: Return [BBUCount=%d].", result);
  return result;
}

void RaidDiscovery::SetUpNewBattery(int n, const std::string& product) {
  char setup_date[kDateTextSize] = "";
  ReadSetupDate(env_.store, setup_date, n);
  // A battery with a setup date was set up at an earlier start (or by the operator).
  if (setup_date[0] != '\0') return;
  uint32_t model_type = 0;
  ReadModelType(env_.store, &model_type);
  int template_kind = kRaid;
  uint32_t consumables = 1;
  if (model_type != 0) {
    template_kind = kRaidN;
    consumables = 2;
  } else if (IsListedRaidModel(product)) {
    template_kind = kRaidN;
    consumables = 0;
  }
  // A template that cannot be read is not copied: an invented 0 would be taken as a life
  // already over.
  uint32_t limit = 0;
  if (ReadLimit(env_.store, &limit, template_kind) == kOk) WriteRaidLimit(env_.store, limit, n);
  uint32_t lead = 0;
  if (ReadLimitPre(env_.store, &lead, template_kind) == kOk) {
    WriteRaidLimitPre(env_.store, lead, n);
  }
  WriteRaidConsumables(env_.store, consumables, n);
}

}  // namespace quillon
