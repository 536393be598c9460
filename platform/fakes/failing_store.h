#ifndef QUILLON_PLATFORM_FAKES_FAILING_STORE_H_
#define QUILLON_PLATFORM_FAKES_FAILING_STORE_H_

#include <atomic>
#include <functional>
#include <string>

#include "platform/store.h"

namespace quillon {

// Wraps a Store and fails chosen operations, for testing every failure path. A call fails
// when the predicate, given the operation ("get", "set", "delete", "create", "exists",
// "deletetree", "listvalues", "listsubkeys", "check"), the key and the value name, returns a
// non-zero status; that status is returned and the wrapped store is not touched. SetValues
// asks about each of its values as a "set" and, when any fails, writes none of them.
// CheckUsable gives a failing status with the reason "injected failure". Not thread-safe to
// reconfigure while in use.
class FailingStore : public Store {
 public:
  using Rule =
      std::function<Status(std::string_view op, std::string_view key, std::string_view name)>;

  explicit FailingStore(Store* inner) : inner_(inner) {}

  void set_rule(Rule rule) { rule_ = std::move(rule); }
  // Fails every operation `op` (any op when empty) on a value whose name matches
  // `name` (any name when empty), case-insensitively, with `status`.
  void FailOn(const std::string& op, const std::string& name, Status status);
  // Fails every operation with `status` (0 heals the store).
  void FailAll(Status status);
  int failures() const { return failures_; }

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
  // The wrapped store's text (an injected failure leaves none of its own).
  std::string LastError() override { return inner_->LastError(); }

 private:
  Status Check(std::string_view op, std::string_view key, std::string_view name);

  Store* inner_;  // not owned
  Rule rule_;
  std::atomic<int> failures_{0};
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_FAILING_STORE_H_
