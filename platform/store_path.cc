#include "platform/store_path.h"

#include <cstdlib>

#include "platform/posix/sqlite_store.h"

namespace quillon {

std::string StorePath() {
  const char* path = std::getenv("QUILLON_REGISTRY");
  if (path != nullptr && *path != '\0') return path;
  return "/var/lib/quillon/registry.db";
}

std::unique_ptr<Store> OpenSystemStore(int busy_timeout_ms) {
  return std::make_unique<SqliteStore>(StorePath(), busy_timeout_ms);
}

std::string DescribeStoreFailure(Store* store) {
  auto* sqlite_store = dynamic_cast<SqliteStore*>(store);
  return sqlite_store ? sqlite_store->LastError() : std::string();
}

}  // namespace quillon
