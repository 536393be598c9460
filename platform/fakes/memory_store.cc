#include "platform/fakes/memory_store.h"

#include <cstring>

namespace quillon {

std::string FoldCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

MemoryStore::MemoryStore() { keys_.try_emplace(""); }

void MemoryStore::CreateKeyLocked(std::string_view key) {
  size_t pos = 0;
  while (true) {
    size_t next = key.find('\\', pos);
    std::string_view prefix = key.substr(0, next);
    auto [it, inserted] = keys_.try_emplace(FoldCase(prefix));
    if (inserted) it->second.name = std::string(prefix);
    if (next == std::string_view::npos) break;
    pos = next + 1;
  }
}

Status MemoryStore::GetValue(std::string_view key, std::string_view name, ValueType* type,
                             std::string* data) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  auto k = keys_.find(FoldCase(key));
  if (k == keys_.end()) return kErrorNotFound;
  auto v = k->second.values.find(FoldCase(name));
  if (v == k->second.values.end()) return kErrorNotFound;
  *type = v->second.type;
  *data = v->second.data;
  return kOk;
}

Status MemoryStore::SetValue(std::string_view key, std::string_view name, ValueType type,
                             std::string_view data) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  SetValueLocked(key, name, type, data);
  return kOk;
}

Status MemoryStore::SetValues(std::span<const StoreWrite> writes) {
  // Checked before anything is written, so a malformed path refuses the whole batch.
  for (const StoreWrite& w : writes) {
    if (!IsValidKeyPath(w.key)) return kErrorBadPathname;
  }
  std::lock_guard<std::mutex> lock(mu_);
  for (const StoreWrite& w : writes) SetValueLocked(w.key, w.name, w.type, w.data);
  return kOk;
}

Status MemoryStore::CheckUsable(std::string* reason) {
  if (reason != nullptr) reason->clear();
  return kOk;
}

void MemoryStore::SetValueLocked(std::string_view key, std::string_view name, ValueType type,
                                 std::string_view data) {
  CreateKeyLocked(key);
  auto& values = keys_[FoldCase(key)].values;
  auto [it, inserted] = values.try_emplace(FoldCase(name));
  if (inserted) it->second.name = std::string(name);
  it->second.type = type;
  it->second.data = std::string(data);
  ++writes_;
}

Status MemoryStore::DeleteValue(std::string_view key, std::string_view name) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  auto k = keys_.find(FoldCase(key));
  if (k == keys_.end()) return kErrorNotFound;
  return k->second.values.erase(FoldCase(name)) ? kOk : kErrorNotFound;
}

Status MemoryStore::CreateKey(std::string_view key) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  CreateKeyLocked(key);
  return kOk;
}

Status MemoryStore::KeyExists(std::string_view key) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  return keys_.count(FoldCase(key)) ? kOk : kErrorNotFound;
}

Status MemoryStore::DeleteKeyTree(std::string_view key) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  if (key.empty()) return kErrorAccessDenied;
  std::lock_guard<std::mutex> lock(mu_);
  const std::string folded = FoldCase(key);
  if (!keys_.count(folded)) return kErrorNotFound;
  const std::string prefix = folded + "\\";
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == folded || it->first.compare(0, prefix.size(), prefix) == 0) {
      it = keys_.erase(it);
    } else {
      ++it;
    }
  }
  return kOk;
}

Status MemoryStore::ListValues(std::string_view key, std::vector<StoreValue>* values) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  auto k = keys_.find(FoldCase(key));
  if (k == keys_.end()) return kErrorNotFound;
  values->clear();
  for (const auto& [folded, v] : k->second.values) values->push_back(v);
  return kOk;
}

Status MemoryStore::ListSubkeys(std::string_view key, std::vector<std::string>* names) {
  if (!IsValidKeyPath(key)) return kErrorBadPathname;
  std::lock_guard<std::mutex> lock(mu_);
  const std::string folded = FoldCase(key);
  if (!keys_.count(folded)) return kErrorNotFound;
  names->clear();
  // The root's children are the paths of one component; no path of another key starts with a
  // backslash.
  const std::string prefix = folded.empty() ? std::string() : folded + "\\";
  for (const auto& [path, k] : keys_) {
    if (path.empty() || path.compare(0, prefix.size(), prefix) != 0) continue;
    if (path.find('\\', prefix.size()) != std::string::npos) continue;
    names->push_back(k.name.substr(prefix.size()));
  }
  return kOk;
}

void MemoryStore::SetDword(std::string_view key, std::string_view name, uint32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  SetValue(key, name, ValueType::kDword, std::string_view(bytes, 4));
}

void MemoryStore::SetText(std::string_view key, std::string_view name, std::string_view text) {
  std::string data(text);
  data.push_back('\0');
  SetValue(key, name, ValueType::kSz, data);
}

uint32_t MemoryStore::GetDword(std::string_view key, std::string_view name, uint32_t fallback) {
  ValueType type;
  std::string data;
  if (GetValue(key, name, &type, &data) != kOk || type != ValueType::kDword || data.size() != 4) {
    return fallback;
  }
  uint32_t value;
  std::memcpy(&value, data.data(), 4);
  return value;
}

std::string MemoryStore::GetText(std::string_view key, std::string_view name,
                                 std::string_view fallback) {
  ValueType type;
  std::string data;
  if (GetValue(key, name, &type, &data) != kOk) return std::string(fallback);
  return data.substr(0, data.find('\0'));
}

bool MemoryStore::HasValue(std::string_view key, std::string_view name) {
  ValueType type;
  std::string data;
  return GetValue(key, name, &type, &data) == kOk;
}

int MemoryStore::write_count() {
  std::lock_guard<std::mutex> lock(mu_);
  return writes_;
}

}  // namespace quillon
