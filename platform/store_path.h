#ifndef QUILLON_PLATFORM_STORE_PATH_H_
#define QUILLON_PLATFORM_STORE_PATH_H_

#include <memory>
#include <string>

#include "platform/store.h"

namespace quillon {

// The settings store file of this machine: $QUILLON_REGISTRY when set and not empty, else
// "/var/lib/quillon/registry.db". Reads the environment on every call.
std::string StorePath();

// The settings store at StorePath(). Never null and never fails here: when the file cannot be
// opened or is damaged, every operation on the returned store reports it as a status. The
// caller owns the store.
std::unique_ptr<Store> OpenSystemStore();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_STORE_PATH_H_
