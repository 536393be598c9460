#ifndef QUILLON_PLATFORM_FAKES_MEMORY_STORE_H_
#define QUILLON_PLATFORM_FAKES_MEMORY_STORE_H_

#include <map>
#include <mutex>
#include <string>

#include "platform/store.h"

namespace quillon {

// A Store held in memory, for tests. Keeps the whole Store contract (the contract suite in
// platform/testing/store_contract.h runs on it): case-insensitive names, writes create
// missing parent keys, the root key always exists, malformed key paths are refused with
// kErrorBadPathname. Thread-safe.
class MemoryStore : public Store {
 public:
  MemoryStore();

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
  // Always usable.
  Status CheckUsable(std::string* reason) override;

  // Test conveniences. SetDword/SetText write directly (a text with its terminating zero);
  // GetDword returns `fallback` when the value is missing or not a DWORD; GetText returns the
  // text up to its first zero byte, or `fallback`.
  void SetDword(std::string_view key, std::string_view name, uint32_t value);
  void SetText(std::string_view key, std::string_view name, std::string_view text);
  uint32_t GetDword(std::string_view key, std::string_view name, uint32_t fallback = 0);
  std::string GetText(std::string_view key, std::string_view name,
                      std::string_view fallback = "<missing>");
  bool HasValue(std::string_view key, std::string_view name);
  // Number of values written so far (by SetValue, and one per value of SetValues).
  int write_count();

 private:
  struct Key {
    std::string name;                          // as first written
    std::map<std::string, StoreValue> values;  // by lower-case name
  };
  void CreateKeyLocked(std::string_view key);
  void SetValueLocked(std::string_view key, std::string_view name, ValueType type,
                      std::string_view data);

  std::mutex mu_;
  std::map<std::string, Key> keys_;  // by lower-case full path
  int writes_ = 0;
};

// Lower-cases ASCII letters; the store's rule for matching names.
std::string FoldCase(std::string_view s);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_MEMORY_STORE_H_
