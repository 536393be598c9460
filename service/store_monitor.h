#ifndef QUILLON_SERVICE_STORE_MONITOR_H_
#define QUILLON_SERVICE_STORE_MONITOR_H_

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "common/settings/language.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/store.h"

namespace quillon {

class TraceLog;

// The service's eyes on its settings store, so that it never runs blind.
//
// As a Store it passes every operation, and LastError, to the real store unchanged; a write
// (SetValue, SetValues, DeleteValue, CreateKey, DeleteKeyTree) that still fails after the store's
// own wait for the write lock leaves the trace line "Settings write <key>\<name> failed (status N):
// <cause>" and the journal error event kEventStoreWriteFailed naming the value (at most one event
// per value in 24 hours; a missing value of a delete is no failure). Nothing is retried.
//
// Check() looks at the store itself (Store::CheckUsable): while it cannot be opened or used,
// every call traces "Settings store <path> is not usable (status N): <cause>", sets the status
// line to "settings store <path> not usable: <cause>" and reports the journal error event
// kEventStoreUnusable (at most once in 24 hours). The first Check that finds it usable again traces
// "Settings store <path> is usable again." and clears the status line. The service keeps
// running on its defaults meanwhile; the store opens the file afresh on each try.
//
// The pointers are not owned and must outlive the monitor. Thread-safe.
class StoreMonitor : public Store {
 public:
  // `store_name` names the store in texts (its file path). `language` is that
  // of the journal events.
  StoreMonitor(Store* store, std::string store_name, Clock* clock, TraceLog* trace,
               EventLog* event_log, Language language);

  // Where Check puts its status-line text (empty: no problem to show); null: nowhere. May be
  // changed at any time (Check never calls an old one after this returns).
  void set_status_line(std::function<void(const std::string&)> status_line);

  // Checks the store and reports as described above. Returns the store's status (0 usable).
  Status Check();

  Status GetValue(std::string_view key, std::string_view name, ValueType* type,
                  std::string* data) override;
  Status SetValue(std::string_view key, std::string_view name, ValueType type,
                  std::string_view data) override;
  Status SetValues(std::span<const StoreWrite> writes) override;
  Status DeleteValue(std::string_view key, std::string_view name) override;
  Status CreateKey(std::string_view key) override;
  Status KeyExists(std::string_view key) override;
  Status DeleteKeyTree(std::string_view key) override;
  Status ListValues(std::string_view key, std::vector<StoreValue>* values) override;
  Status ListSubkeys(std::string_view key, std::vector<std::string>* names) override;
  Status CheckUsable(std::string* reason) override;
  // The wrapped store's own text, so that callers holding the monitor still learn the cause.
  std::string LastError() override;

 private:
  // Reports a failed write of `key`\`name` (name empty for a key operation).
  Status ReportWrite(Status status, std::string_view key, std::string_view name);
  // The once-a-day rule: true, and *last_event set to now, when no event was reported in the
  // last 24 hours (*last_event < 0: never). Called with mu_ held.
  bool DayPassed(double* last_event);

  Store* store_;
  const std::string store_name_;
  Clock* clock_;
  TraceLog* trace_;
  EventLog* event_log_;
  const Language language_;
  std::function<void(const std::string&)> status_line_;

  std::mutex mu_;
  bool unusable_ = false;
  double unusable_event_time_ = -1;                 // day count of the last event
  std::map<std::string, double> write_event_time_;  // by "key\name"
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_STORE_MONITOR_H_
