// The Store contract on the test doubles: the memory store, and the failing store wrapped
// around it with no failure injected (it must then pass everything through unchanged).

#include "platform/fakes/memory_store.h"

#include "platform/fakes/failing_store.h"
#include "platform/testing/store_contract.h"

namespace quillon {
namespace {

struct MemoryStoreEnv {
  MemoryStore memory;
  Store* store() { return &memory; }
};

struct FailingOverMemoryEnv {
  MemoryStore memory;
  FailingStore failing{&memory};
  Store* store() { return &failing; }
};

using Doubles = ::testing::Types<MemoryStoreEnv, FailingOverMemoryEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, StoreContractTest, Doubles);

}  // namespace
}  // namespace quillon
