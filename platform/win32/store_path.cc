#include "platform/store_path.h"

#include "platform/platform.h"

namespace quillon {

// On Windows the registry is the store: its settings live below HKEY_LOCAL_MACHINE itself
// (SOFTWARE\Morvath\TALVEN), which is also how the service names the store in its messages.
std::string StorePath() { return "HKEY_LOCAL_MACHINE"; }

std::unique_ptr<Store> OpenSystemStore(int busy_timeout_ms) {
  // The empty base is HKEY_LOCAL_MACHINE; the registry has no write lock to wait for.
  return NewStore("", busy_timeout_ms);
}

}  // namespace quillon
