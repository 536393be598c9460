#include "platform/fakes/failing_store.h"

#include "platform/fakes/memory_store.h"

namespace quillon {

void FailingStore::FailOn(const std::string& op, const std::string& name, Status status) {
  rule_ = [op = FoldCase(op), name = FoldCase(name), status](std::string_view o, std::string_view,
                                                             std::string_view n) -> Status {
    if (!op.empty() && FoldCase(o) != op) return kOk;
    if (!name.empty() && FoldCase(n) != name) return kOk;
    return status;
  };
}

void FailingStore::FailAll(Status status) {
  rule_ = [status](std::string_view, std::string_view, std::string_view) { return status; };
}

Status FailingStore::Check(std::string_view op, std::string_view key, std::string_view name) {
  if (!rule_) return kOk;
  Status s = rule_(op, key, name);
  if (s != kOk) ++failures_;
  return s;
}

Status FailingStore::GetValue(std::string_view key, std::string_view name, ValueType* type,
                              std::string* data) {
  if (Status s = Check("get", key, name)) return s;
  return inner_->GetValue(key, name, type, data);
}

Status FailingStore::SetValue(std::string_view key, std::string_view name, ValueType type,
                              std::string_view data) {
  if (Status s = Check("set", key, name)) return s;
  return inner_->SetValue(key, name, type, data);
}

Status FailingStore::SetValues(std::span<const StoreWrite> writes) {
  for (const StoreWrite& w : writes) {
    if (Status s = Check("set", w.key, w.name)) return s;
  }
  return inner_->SetValues(writes);
}

Status FailingStore::DeleteValue(std::string_view key, std::string_view name) {
  if (Status s = Check("delete", key, name)) return s;
  return inner_->DeleteValue(key, name);
}

Status FailingStore::CreateKey(std::string_view key) {
  if (Status s = Check("create", key, "")) return s;
  return inner_->CreateKey(key);
}

Status FailingStore::KeyExists(std::string_view key) {
  if (Status s = Check("exists", key, "")) return s;
  return inner_->KeyExists(key);
}

Status FailingStore::DeleteKeyTree(std::string_view key) {
  if (Status s = Check("deletetree", key, "")) return s;
  return inner_->DeleteKeyTree(key);
}

Status FailingStore::ListValues(std::string_view key, std::vector<StoreValue>* values) {
  if (Status s = Check("listvalues", key, "")) return s;
  return inner_->ListValues(key, values);
}

Status FailingStore::ListSubkeys(std::string_view key, std::vector<std::string>* names) {
  if (Status s = Check("listsubkeys", key, "")) return s;
  return inner_->ListSubkeys(key, names);
}

Status FailingStore::CheckUsable(std::string* reason) {
  if (Status s = Check("check", "", "")) {
    if (reason != nullptr) *reason = "injected failure";
    return s;
  }
  return inner_->CheckUsable(reason);
}

}  // namespace quillon
