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

// A one-line English description of the latest failure of `store` (for example "database disk
// image is malformed"), for operator messages; empty when `store` did not come from
// OpenSystemStore() or its latest operation succeeded. Thread-safe.
std::string DescribeStoreFailure(Store* store);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_STORE_PATH_H_
