#include "platform/store_path.h"

#include <cstdlib>

#include "platform/platform.h"

namespace quillon {

std::string StorePath() {
  const char* path = std::getenv("QUILLON_REGISTRY");
  if (path != nullptr && *path != '\0') return path;
  return "/var/lib/quillon/registry.db";
}

std::unique_ptr<Store> OpenSystemStore(int busy_timeout_ms) {
  return NewStore(StorePath(), busy_timeout_ms);
}

}  // namespace quillon
