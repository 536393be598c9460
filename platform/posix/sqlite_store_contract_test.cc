// The Store contract on the SQLite store, each test on a file of its own.

#include "platform/posix/sqlite_store.h"
#include "platform/testing/store_contract.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

struct SqliteStoreEnv {
  TempDir dir{"quillon-store-"};
  SqliteStore sqlite{dir.File("registry.db")};
  Store* store() { return &sqlite; }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sqlite, StoreContractTest, ::testing::Types<SqliteStoreEnv>);

}  // namespace
}  // namespace quillon
