#ifndef QUILLON_PLATFORM_STORE_H_
#define QUILLON_PLATFORM_STORE_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace quillon {

// Registry value type codes, as stored.
enum class ValueType : uint32_t {
  kNone = 0,
  kSz = 1,
  kExpandSz = 2,
  kBinary = 3,
  kDword = 4,
  kMultiSz = 7,
  kQword = 11,
};

struct StoreValue {
  std::string name;  // as first written (names match without regard to case)
  ValueType type = ValueType::kNone;
  std::string data;  // raw bytes: DWORD (QWORD) little-endian 4 (8) bytes; texts with zeros
};

// True when `key` is a well-formed key path: the empty path (the root key) or components
// joined by single backslashes, none of them empty (no leading, trailing or doubled
// backslash). Every Store refuses any other path with kErrorBadPathname.
inline bool IsValidKeyPath(std::string_view key) {
  if (key.empty()) return true;
  if (key.front() == '\\' || key.back() == '\\') return false;
  return key.find("\\\\") == std::string_view::npos;
}

// One value of a multi-value write (Store::SetValues). The views must stay valid for the call.
struct StoreWrite {
  std::string_view key;
  std::string_view name;
  ValueType type = ValueType::kNone;
  std::string_view data;
};

// The settings store: a tree of keys below HKEY_LOCAL_MACHINE, written as full paths with
// backslashes ("SOFTWARE\Morvath\TALVEN\LifeTime\Current"), each key holding named values of a
// registry type. Key and value names match without regard to ASCII case. A key path never has
// a leading or trailing backslash; callers pass it as written. The root key is the empty path:
// it always exists, holds values like any key, and cannot be deleted. Every operation given a
// malformed key path (see IsValidKeyPath) returns kErrorBadPathname and changes nothing.
//
// Every operation is atomic: a value is either wholly written or not at all, even if the
// process dies in the middle. Implementations are safe to call from several threads and
// several processes at once.
class Store {
 public:
  virtual ~Store() = default;

  // Reads one value. On success returns 0 and fills *type and *data. Returns kErrorNotFound
  // when the key or value is missing; another non-zero status when the store cannot be read
  // (the outputs are then untouched).
  virtual Status GetValue(std::string_view key, std::string_view name, ValueType* type,
                          std::string* data) = 0;

  // Writes one value, creating the key and its missing parents. 0 on success, else non-zero
  // and the store unchanged.
  virtual Status SetValue(std::string_view key, std::string_view name, ValueType type,
                          std::string_view data) = 0;

  // Writes all `writes` (SetValue each, in order) as one transaction: every value is written
  // or none is, also when the process dies in the middle. 0 on success (also for an empty
  // list); otherwise the status of the first failure and the store unchanged.
  virtual Status SetValues(std::span<const StoreWrite> writes) = 0;

  // Deletes one value. kErrorNotFound when it does not exist.
  virtual Status DeleteValue(std::string_view key, std::string_view name) = 0;

  // Creates a key and its missing parents; 0 also when it already exists.
  virtual Status CreateKey(std::string_view key) = 0;

  // 0 when the key exists, kErrorNotFound when not, another status when the store fails.
  virtual Status KeyExists(std::string_view key) = 0;

  // Deletes a key with all its values and subkeys. kErrorNotFound when it does not exist;
  // kErrorAccessDenied for the root key (nothing is deleted).
  virtual Status DeleteKeyTree(std::string_view key) = 0;

  // Lists the values of a key (in name order, case-insensitively). kErrorNotFound when the
  // key does not exist.
  virtual Status ListValues(std::string_view key, std::vector<StoreValue>* values) = 0;

  // Lists the names of the direct subkeys of a key (in name order). kErrorNotFound when the
  // key does not exist.
  virtual Status ListSubkeys(std::string_view key, std::vector<std::string>* names) = 0;

  // Checks, without changing any value, that the store can be opened, holds this store's
  // data and accepts writes. 0 when it is usable. Otherwise the status its operations fail
  // with, and in `*reason` (when not null) a one-line English text of the cause (for example
  // "the file is an SQLite database of another kind"). Meant for a periodic health report;
  // it may cost a file-system check.
  virtual Status CheckUsable(std::string* reason) = 0;
  // A one-line English description of the most recent failure of an operation on this store
  // (for example "database disk image is malformed"), for operator messages; empty when the
  // most recent operation succeeded or failed only with kErrorNotFound, and from stores that
  // keep no such text (this default). Thread-safe.
  virtual std::string LastError() { return std::string(); }
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_STORE_H_
