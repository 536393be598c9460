#ifndef QUILLON_PLATFORM_STORE_PATH_H_
#define QUILLON_PLATFORM_STORE_PATH_H_

#include <memory>
#include <string>

#include "platform/store.h"

namespace quillon {

// The settings store of this machine as texts name it. Linux: the store file,
// $QUILLON_REGISTRY when set and not empty, else "/var/lib/quillon/registry.db" (the
// environment is read on every call). Windows: "HKEY_LOCAL_MACHINE", the registry itself.
std::string StorePath();

// How long a write waits for another program's write lock on the store. Programs with an
// operator in front of them (the GUI, quillon-reg, setup) keep the short wait and show the
// failure ("busy"), so that nobody stares at a frozen window; the service has nobody to tell,
// so its writes wait out any ordinary lock holder (a backup, an operator's tool).
inline constexpr int kInteractiveStoreWaitMs = 5000;
inline constexpr int kServiceStoreWaitMs = 60000;

// The settings store at StorePath(), whose writes wait up to `busy_timeout_ms` for the write
// lock (Windows: the registry, which has no such lock). Never null and never fails here: when the
// file cannot be opened or is damaged, every operation on the returned store reports it as a
// status, and its LastError describes the cause. The caller owns the store.
std::unique_ptr<Store> OpenSystemStore(int busy_timeout_ms = kInteractiveStoreWaitMs);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_STORE_PATH_H_
