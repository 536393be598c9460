// Registration of the event source in the store.
#include <string>

#include "common/log/event_report.h"
#include "common/settings/accessor_helpers.h"

namespace quillon {
namespace {

using settings_internal::DwordBytes;

constexpr uint32_t kTypesSupported = 7;  // error, warning and information
constexpr uint32_t kNonNtBit = 0x80000000u;
constexpr uint32_t kScanPauseMs = 100;

enum class ScanResult { kFound, kMissing, kMalformed };

// Walks the zero-terminated names of a multi-string list, skipping empty ones; the match is
// exact (case matters). A name that runs to the end of the data without its zero makes the
// list unreadable, and it is then left as it is.
ScanResult ScanSources(const std::string& list, const std::string& source) {
  size_t pos = 0;
  while (pos < list.size()) {
    size_t end = list.find('\0', pos);
    if (end == std::string::npos) return ScanResult::kMalformed;
    if (end > pos && list.compare(pos, end - pos, source) == 0) return ScanResult::kFound;
    pos = end + 1;
  }
  return ScanResult::kMissing;
}

// The list with `source` as its last name, closed by the empty entry.
std::string AppendSource(const std::string& list, const std::string& source) {
  size_t last = list.find_last_not_of('\0');
  std::string out = last == std::string::npos ? std::string() : list.substr(0, last + 1);
  if (!out.empty()) out.push_back('\0');
  out += source;
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

}  // namespace

Status RegisterLogSource(Store* store, SystemInfo* system, Clock* clock, const char* source) {
  if (store == nullptr || system == nullptr || source == nullptr || *source == '\0') {
    return kErrorInvalidParameter;
  }
  if ((system->VersionWord() & kNonNtBit) != 0) return kErrorCallNotImplemented;

  const std::string source_key = std::string(kEventLogSystemKey) + "\\" + source;
  if (Status s = store->CreateKey(source_key)) return s;
  if (Status s = store->SetValue(source_key, "TypesSupported", ValueType::kDword,
                                 DwordBytes(kTypesSupported))) {
    return s;
  }
  std::string program = system->ProgramPath();
  if (program.empty()) return kErrorNotFound;
  program.push_back('\0');  // the stored length counts the terminating zero
  if (Status s = store->SetValue(source_key, "EventMessageFile", ValueType::kExpandSz, program)) {
    return s;
  }

  ValueType type = ValueType::kMultiSz;
  std::string sources;
  Status read = store->GetValue(kEventLogSystemKey, "Sources", &type, &sources);
  if (read != kOk && read != kErrorNotFound) return read;
  if (read == kErrorNotFound) type = ValueType::kMultiSz;

  // The registration has always paused here before it scans the list.
  if (clock != nullptr) clock->Sleep(kScanPauseMs);

  const std::string name(source);
  if (ScanSources(sources, name) != ScanResult::kMissing) return kOk;
  return store->SetValue(kEventLogSystemKey, "Sources", type, AppendSource(sources, name));
}

}  // namespace quillon
