#include "service/store_monitor.h"

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "platform/date_time.h"
#include "platform/error_texts.h"
#include "service/talven_service.h"

namespace quillon {

StoreMonitor::StoreMonitor(Store* store, std::string store_name, Clock* clock, TraceLog* trace,
                           EventLog* event_log, Language language)
    : store_(store),
      store_name_(std::move(store_name)),
      clock_(clock),
      trace_(trace),
      event_log_(event_log),
      language_(language) {}

void StoreMonitor::set_status_line(std::function<void(const std::string&)> status_line) {
  std::lock_guard<std::mutex> lock(mu_);
  status_line_ = std::move(status_line);
}

bool StoreMonitor::DayPassed(double* last_event) {
  const double now = ToDayCount(clock_->Now());
  // A clock set back is no reason to stay silent for the rest of the year.
  if (*last_event >= 0 && now >= *last_event && now - *last_event < 1.0) return false;
  *last_event = now;
  return true;
}

Status StoreMonitor::Check() {
  std::string reason;
  const Status status = store_->CheckUsable(&reason);
  std::lock_guard<std::mutex> lock(mu_);
  if (status == kOk) {
    if (unusable_) {
      trace_->Tracef("Settings store %s is usable again.", store_name_.c_str());
      if (status_line_) status_line_("");
    }
    unusable_ = false;
    return status;
  }
  unusable_ = true;
  trace_->Tracef("Settings store %s is not usable (status %lu): %s", store_name_.c_str(),
                 static_cast<unsigned long>(status), reason.c_str());
  if (status_line_) status_line_("settings store " + store_name_ + " not usable: " + reason);
  if (DayPassed(&unusable_event_time_)) {
    const std::string detail = store_name_ + ": " + reason;
    ReportLogEvent(event_log_, language_, kServiceName, kServiceName, kEventTypeError,
                   kEventStoreUnusable, detail.c_str());
  }
  return status;
}

Status StoreMonitor::ReportWrite(Status status, std::string_view key, std::string_view name) {
  if (status == kOk) return status;
  const char* text = StandardErrorText(status);
  const std::string reason = text != nullptr ? text : "";
  const std::string value =
      name.empty() ? std::string(key) : std::string(key) + "\\" + std::string(name);
  trace_->Tracef("Settings write %s failed (status %lu): %s", value.c_str(),
                 static_cast<unsigned long>(status), reason.c_str());
  std::lock_guard<std::mutex> lock(mu_);
  if (DayPassed(&write_event_time_.try_emplace(value, -1.0).first->second)) {
    const std::string detail =
        value + " (status " + std::to_string(status) + (reason.empty() ? "" : ": " + reason) + ")";
    ReportLogEvent(event_log_, language_, kServiceName, kServiceName, kEventTypeError,
                   kEventStoreWriteFailed, detail.c_str());
  }
  return status;
}

Status StoreMonitor::GetValue(std::string_view key, std::string_view name, ValueType* type,
                              std::string* data) {
  return store_->GetValue(key, name, type, data);
}

Status StoreMonitor::SetValue(std::string_view key, std::string_view name, ValueType type,
                              std::string_view data) {
  return ReportWrite(store_->SetValue(key, name, type, data), key, name);
}

Status StoreMonitor::SetValues(std::span<const StoreWrite> writes) {
  const Status status = store_->SetValues(writes);
  // Nothing of the batch was written: every value of it is named.
  if (status != kOk) {
    for (const StoreWrite& w : writes) ReportWrite(status, w.key, w.name);
  }
  return status;
}

Status StoreMonitor::DeleteValue(std::string_view key, std::string_view name) {
  const Status status = store_->DeleteValue(key, name);
  return status == kErrorNotFound ? status : ReportWrite(status, key, name);
}

Status StoreMonitor::CreateKey(std::string_view key) {
  return ReportWrite(store_->CreateKey(key), key, "");
}

Status StoreMonitor::KeyExists(std::string_view key) { return store_->KeyExists(key); }

Status StoreMonitor::DeleteKeyTree(std::string_view key) {
  const Status status = store_->DeleteKeyTree(key);
  return status == kErrorNotFound ? status : ReportWrite(status, key, "");
}

Status StoreMonitor::ListValues(std::string_view key, std::vector<StoreValue>* values) {
  return store_->ListValues(key, values);
}

Status StoreMonitor::ListSubkeys(std::string_view key, std::vector<std::string>* names) {
  return store_->ListSubkeys(key, names);
}

Status StoreMonitor::CheckUsable(std::string* reason) { return store_->CheckUsable(reason); }

std::string StoreMonitor::LastError() { return store_->LastError(); }

}  // namespace quillon
