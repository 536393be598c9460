#ifndef QUILLON_PLATFORM_WIN32_REGISTRY_STORE_H_
#define QUILLON_PLATFORM_WIN32_REGISTRY_STORE_H_

#include <mutex>
#include <string>

#include "platform/store.h"

namespace quillon {

// The settings store on Windows: the registry itself, below HKEY_LOCAL_MACHINE. Key paths and
// value names are UTF-8 here and UTF-16 in the registry; texts (types 1, 2 and 7) are stored
// as UTF-16 and read back as UTF-8 with their zero terminators, so a value written here reads
// back byte for byte. Statuses are the registry's own error numbers (2 missing, 5 access
// denied, ...) and 161 for a key path with an empty component.
//
// The registry keeps every single value write whole. SetValues has no transaction to lean on:
// when a write of the list fails, the values written before it are put back as they were, but
// a process that dies in the middle leaves the first values written. Thread-safe; several
// processes may use the registry at once.
class RegistryStore : public Store {
 public:
  // A store whose key paths are taken below HKEY_LOCAL_MACHINE\`base` (empty: directly below
  // HKEY_LOCAL_MACHINE, as the installed system uses it). Tests pass a private base key.
  explicit RegistryStore(std::string base = "");

  Status GetValue(std::string_view key, std::string_view name, ValueType* type,
                  std::string* data) override;
  Status SetValue(std::string_view key, std::string_view name, ValueType type,
                  std::string_view data) override;
  Status SetValues(std::span<const StoreWrite> writes) override;
  Status DeleteValue(std::string_view key, std::string_view name) override;
  Status CreateKey(std::string_view key) override;
  Status KeyExists(std::string_view key) override;
  // kErrorAccessDenied for the root (the empty path): the store never deletes its own root.
  Status DeleteKeyTree(std::string_view key) override;
  Status ListValues(std::string_view key, std::vector<StoreValue>* values) override;
  Status ListSubkeys(std::string_view key, std::vector<std::string>* names) override;
  // Opens the root for reading and writing; the reason is the system's message for the error.
  Status CheckUsable(std::string* reason) override;

  // A one-line English text of the latest failure, empty after a success. Thread-safe.
  std::string LastError() override;

 private:
  // The full path below HKEY_LOCAL_MACHINE for a key path of the store.
  std::wstring FullPath(std::string_view key) const;
  // Records the outcome of an operation for LastError and returns it.
  Status Note(Status status, std::string_view what);

  std::string base_;
  std::mutex mu_;  // guards last_error_
  std::string last_error_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_REGISTRY_STORE_H_
