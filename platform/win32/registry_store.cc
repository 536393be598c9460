#include "platform/win32/registry_store.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/store_key_path.h"
#include "platform/win32/system_message.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Names compare as the store's NOCASE rule does: ASCII letters folded, bytes otherwise.
bool LessNoCase(std::string_view a, std::string_view b) {
  auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return fold(x) < fold(y); });
}

// An open registry key, closed on scope exit.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (h_) RegCloseKey(h_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  Status Open(const std::wstring& path, REGSAM access) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &h_);
  }
  Status Create(const std::wstring& path, REGSAM access) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, &h_, nullptr);
  }
  HKEY get() const { return h_; }

 private:
  HKEY h_ = nullptr;
};

// Reads a value of an open key as the store holds it (texts in UTF-8). The value may grow
// between the size query and the read, so the read is retried while it reports more data.
Status QueryValue(HKEY key, const std::wstring& name, ValueType* type, std::string* data) {
  DWORD raw_type = 0;
  DWORD size = 0;
  Status status = RegQueryValueExW(key, name.c_str(), nullptr, &raw_type, nullptr, &size);
  std::string bytes;
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    bytes.resize(size);
    status = RegQueryValueExW(key, name.c_str(), nullptr, &raw_type,
                              reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (status == ERROR_SUCCESS) {
      bytes.resize(size);
      break;
    }
  }
  if (status != ERROR_SUCCESS) return status;
  if (IsText(raw_type)) {
    // An odd trailing byte cannot be part of a UTF-16 text; it is dropped.
    bytes = Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data()),
                                     bytes.size() / sizeof(wchar_t)));
  }
  *type = static_cast<ValueType>(raw_type);
  *data = std::move(bytes);
  return kOk;
}

Status WriteValue(HKEY key, std::string_view name, ValueType type, std::string_view data) {
  std::wstring wname = Widen(name);
  if (IsText(static_cast<DWORD>(type))) {
    std::wstring text = Widen(data);
    return RegSetValueExW(key, wname.c_str(), 0, static_cast<DWORD>(type),
                          reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
  }
  return RegSetValueExW(key, wname.c_str(), 0, static_cast<DWORD>(type),
                        reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

}  // namespace

RegistryStore::RegistryStore(std::string base) : base_(std::move(base)) {}

std::wstring RegistryStore::FullPath(std::string_view key) const {
  if (base_.empty()) return Widen(key);
  if (key.empty()) return Widen(base_);
  return Widen(base_ + "\\" + std::string(key));
}

Status RegistryStore::Note(Status status, std::string_view what) {
  std::lock_guard<std::mutex> lock(mu_);
  if (status == kOk || status == kErrorNotFound) {
    last_error_.clear();
  } else {
    last_error_ = std::string(what) + ": " + SystemMessage(status);
  }
  return status;
}

std::string RegistryStore::LastError() {
  std::lock_guard<std::mutex> lock(mu_);
  return last_error_;
}

Status RegistryStore::GetValue(std::string_view key, std::string_view name, ValueType* type,
                               std::string* data) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  Status status = k.Open(FullPath(key), KEY_QUERY_VALUE);
  if (status == kOk) status = QueryValue(k.get(), Widen(name), type, data);
  return Note(status, "reading a value");
}

Status RegistryStore::SetValue(std::string_view key, std::string_view name, ValueType type,
                               std::string_view data) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  Status status = k.Create(FullPath(key), KEY_SET_VALUE);
  if (status == kOk) status = WriteValue(k.get(), name, type, data);
  return Note(status, "writing a value");
}

Status RegistryStore::SetValues(std::span<const StoreWrite> writes) {
  for (const StoreWrite& w : writes) {
    if (!ValidKeyPath(w.key)) return Note(kErrorBadPathname, "malformed key path");
  }
  // What each written value was before, to put back when a later write fails.
  struct Before {
    const StoreWrite* write;
    std::optional<std::pair<ValueType, std::string>> old;
  };
  std::vector<Before> done;
  Status status = kOk;
  for (const StoreWrite& w : writes) {
    Before before{&w, std::nullopt};
    ValueType old_type;
    std::string old_data;
    Status read = GetValue(w.key, w.name, &old_type, &old_data);
    if (read == kOk) {
      before.old.emplace(old_type, std::move(old_data));
    } else if (read != kErrorNotFound) {
      status = read;
      break;
    }
    status = SetValue(w.key, w.name, w.type, w.data);
    if (status != kOk) break;
    done.push_back(std::move(before));
  }
  if (status != kOk) {
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
      if (it->old) {
        SetValue(it->write->key, it->write->name, it->old->first, it->old->second);
      } else {
        DeleteValue(it->write->key, it->write->name);
      }
    }
  }
  return Note(status, "writing values");
}

Status RegistryStore::DeleteValue(std::string_view key, std::string_view name) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  Status status = k.Open(FullPath(key), KEY_SET_VALUE);
  if (status == kOk) status = RegDeleteValueW(k.get(), Widen(name).c_str());
  return Note(status, "deleting a value");
}

Status RegistryStore::CreateKey(std::string_view key) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  return Note(k.Create(FullPath(key), KEY_READ), "creating a key");
}

Status RegistryStore::KeyExists(std::string_view key) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  return Note(k.Open(FullPath(key), KEY_READ), "opening a key");
}

Status RegistryStore::DeleteKeyTree(std::string_view key) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  if (key.empty()) return Note(kErrorAccessDenied, "deleting the root key");
  return Note(RegDeleteTreeW(HKEY_LOCAL_MACHINE, FullPath(key).c_str()), "deleting a key");
}

Status RegistryStore::ListValues(std::string_view key, std::vector<StoreValue>* values) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  Status status = k.Open(FullPath(key), KEY_QUERY_VALUE);
  if (status != kOk) return Note(status, "opening a key");
  DWORD count = 0;
  DWORD max_name = 0;
  status = RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                            &max_name, nullptr, nullptr, nullptr);
  if (status != kOk) return Note(status, "reading a key");
  std::vector<StoreValue> out;
  std::wstring name(max_name + 1, L'\0');
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    status = RegEnumValueW(k.get(), i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_MORE_DATA) {  // a longer name was added meanwhile
      name.resize(name.size() * 2);
      --i;
      continue;
    }
    if (status != kOk) return Note(status, "listing values");
    StoreValue v;
    std::wstring wname(name.data(), len);
    v.name = Narrow(wname);
    status = QueryValue(k.get(), wname, &v.type, &v.data);
    if (status == kErrorNotFound) continue;  // deleted meanwhile
    if (status != kOk) return Note(status, "reading a value");
    out.push_back(std::move(v));
  }
  std::sort(out.begin(), out.end(),
            [](const StoreValue& a, const StoreValue& b) { return LessNoCase(a.name, b.name); });
  *values = std::move(out);
  return Note(kOk, "");
}

Status RegistryStore::ListSubkeys(std::string_view key, std::vector<std::string>* names) {
  if (!ValidKeyPath(key)) return Note(kErrorBadPathname, "malformed key path");
  Key k;
  Status status = k.Open(FullPath(key), KEY_ENUMERATE_SUB_KEYS);
  if (status != kOk) return Note(status, "opening a key");
  std::vector<std::string> out;
  wchar_t name[256];  // a key name has at most 255 characters
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    status = RegEnumKeyExW(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != kOk) return Note(status, "listing subkeys");
    out.push_back(Narrow(std::wstring_view(name, len)));
  }
  std::sort(out.begin(), out.end(), LessNoCase);
  *names = std::move(out);
  return Note(kOk, "");
}

Status RegistryStore::CheckUsable(std::string* reason) {
  Key k;
  Status status = k.Create(FullPath(""), KEY_READ | KEY_WRITE);
  if (status != kOk && reason) *reason = SystemMessage(status);
  return Note(status, "opening the store for writing");
}

}  // namespace quillon
