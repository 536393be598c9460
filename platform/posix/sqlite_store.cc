#include "platform/posix/sqlite_store.h"

#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_system.h"
#include "platform/posix/operator_group.h"
#include "platform/store_key_path.h"

namespace quillon {
namespace {

// Bump when the tables change; a file of a newer format is refused rather than misread.
constexpr int kSchemaVersion = 1;
constexpr int kWalRetryMs = 5;
constexpr int64_t kRootKeyId = 1;

// The root key is the empty path; every other key has a parent row, so keys can be listed
// by parent and a tree found by its path prefix. NOCASE folds ASCII letters only, which is
// exactly the registry's matching rule.
constexpr const char* kSchemaSql =
    "CREATE TABLE store_key("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER,"
    "  path TEXT NOT NULL UNIQUE COLLATE NOCASE,"
    "  name TEXT NOT NULL COLLATE NOCASE);"
    "CREATE INDEX store_key_by_parent ON store_key(parent, name);"
    "CREATE TABLE store_value("
    "  key_id INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key_id, name)) WITHOUT ROWID;"
    "INSERT INTO store_key(id, parent, path, name) VALUES(1, NULL, '', '');";

// Creates the directories above `path` that are missing. Failures are left for the open to
// report, with SQLite's own wording.
void CreateParentDirectories(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    std::string dir = path.substr(0, pos);
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return;
  }
}

// The errno that explains why the file could not be opened. SQLite's own last errno often
// comes from a later fallback attempt (ENOENT after EACCES), so the path itself is looked at
// first: a directory, a path through a file, missing permissions, a read-only file system.
int CantOpenCause(const std::string& path, int sqlite_errno) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (access(path.c_str(), R_OK) != 0) return errno;
    if (access(path.c_str(), W_OK) != 0 && errno == EROFS) return EROFS;
  } else if (errno == ENOTDIR) {
    return ENOTDIR;
  } else {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    // Walk up to the nearest existing directory: that is where creation failed.
    while (stat(dir.c_str(), &st) != 0 && dir.size() > 1) {
      slash = dir.rfind('/');
      dir = slash == std::string::npos || slash == 0 ? "/" : dir.substr(0, slash);
    }
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    if (access(dir.c_str(), W_OK | X_OK) != 0) return errno;
  }
  return sqlite_errno;
}

// The status of a file the system refuses to let us change or open for `error`.
Status RefusalStatus(int error) {
  if (error == EROFS) return kErrorWriteProtect;
  if (error == EACCES || error == EPERM || error == EISDIR || error == ENOTDIR) {
    return kErrorAccessDenied;
  }
  return kErrorRegistryIo;
}

// Counts the fork() calls of this process, so that a store notices in a child that its
// connection was inherited without a getpid() system call on every read.
std::atomic<uint64_t> fork_generation{0};

uint64_t ForkGeneration() {
  static const bool registered = [] {
    pthread_atfork(nullptr, nullptr, [] { fork_generation.fetch_add(1); });
    return true;
  }();
  (void)registered;
  return fork_generation.load(std::memory_order_relaxed);
}

// SQLite treats a null pointer as SQL NULL, so empty texts and blobs get a real pointer.
const char* NonNull(std::string_view s) { return s.empty() ? "" : s.data(); }

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
  sqlite3_bind_text64(stmt, index, NonNull(text), text.size(), SQLITE_STATIC, SQLITE_UTF8);
}

void BindBlob(sqlite3_stmt* stmt, int index, std::string_view bytes) {
  sqlite3_bind_blob64(stmt, index, NonNull(bytes), bytes.size(), SQLITE_STATIC);
}

std::string ColumnBytes(sqlite3_stmt* stmt, int column) {
  const void* p = sqlite3_column_blob(stmt, column);
  int n = sqlite3_column_bytes(stmt, column);
  return p ? std::string(static_cast<const char*>(p), n) : std::string();
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const unsigned char* p = sqlite3_column_text(stmt, column);
  int n = sqlite3_column_bytes(stmt, column);
  return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
}

// Resets a cached statement when the operation using it ends, so that no read transaction
// stays open between operations.
class StatementScope {
 public:
  explicit StatementScope(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~StatementScope() { sqlite3_reset(stmt_); }
  StatementScope(const StatementScope&) = delete;
  StatementScope& operator=(const StatementScope&) = delete;

 private:
  sqlite3_stmt* stmt_;
};

}  // namespace

// The prepared statements, made once per connection.
struct SqliteStore::Statements {
  sqlite3_stmt* get_value = nullptr;
  sqlite3_stmt* find_key = nullptr;
  sqlite3_stmt* insert_key = nullptr;
  sqlite3_stmt* upsert_value = nullptr;
  sqlite3_stmt* delete_value = nullptr;
  sqlite3_stmt* list_values = nullptr;
  sqlite3_stmt* list_subkeys = nullptr;
  sqlite3_stmt* delete_tree_values = nullptr;
  sqlite3_stmt* delete_tree_keys = nullptr;
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* begin_read = nullptr;
  sqlite3_stmt* commit = nullptr;
  sqlite3_stmt* rollback = nullptr;

  // Pairs of (slot, SQL) for preparing and finalising all of them alike.
  std::pair<sqlite3_stmt**, const char*> all[13] = {
      {&get_value,
       "SELECT v.type, v.data FROM store_key k JOIN store_value v ON v.key_id = k.id "
       "WHERE k.path = ?1 AND v.name = ?2"},
      {&find_key, "SELECT id, path FROM store_key WHERE path = ?1"},
      {&insert_key, "INSERT INTO store_key(parent, path, name) VALUES(?1, ?2, ?3)"},
      {&upsert_value,
       "INSERT INTO store_value(key_id, name, type, data) VALUES(?1, ?2, ?3, ?4) "
       "ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data"},
      {&delete_value, "DELETE FROM store_value WHERE key_id = ?1 AND name = ?2"},
      {&list_values, "SELECT name, type, data FROM store_value WHERE key_id = ?1 ORDER BY name"},
      {&list_subkeys, "SELECT name FROM store_key WHERE parent = ?1 ORDER BY name"},
      {&delete_tree_values,
       "DELETE FROM store_value WHERE key_id IN (SELECT id FROM store_key "
       "WHERE path = ?1 OR (path > ?2 AND path < ?3))"},
      {&delete_tree_keys, "DELETE FROM store_key WHERE path = ?1 OR (path > ?2 AND path < ?3)"},
      {&begin, "BEGIN IMMEDIATE"},
      {&begin_read, "BEGIN"},
      {&commit, "COMMIT"},
      {&rollback, "ROLLBACK"},
  };

  int Prepare(sqlite3* db) {
    for (auto& [slot, sql] : all) {
      int rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, slot, nullptr);
      if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
  }

  void Finalize() {
    for (auto& [slot, sql] : all) {
      sqlite3_finalize(*slot);
      *slot = nullptr;
    }
  }
};

SqliteStore::SqliteStore(std::string path, int busy_timeout_ms)
    : path_(std::move(path)), busy_timeout_ms_(busy_timeout_ms) {}

SqliteStore::~SqliteStore() {
  std::lock_guard<std::mutex> lock(mu_);
  CloseLocked();
}

std::string SqliteStore::LastError() {
  std::lock_guard<std::mutex> lock(mu_);
  return last_error_;
}

void SqliteStore::CloseLocked() {
  if (statements_) {
    statements_->Finalize();
    delete statements_;
    statements_ = nullptr;
  }
  if (db_) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

Status SqliteStore::FailWith(Status status, std::string message) {
  last_error_ = std::move(message);
  broken_ = true;
  return status;
}

Status SqliteStore::Fail(int rc) {
  std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
  Status status = kErrorRegistryIo;
  switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      status = kErrorRegistryCorrupt;
      break;
    case SQLITE_READONLY: {
      std::string cause;
      status = WriteRefusal(&cause);
      if (status == kErrorRegistryIo) status = kErrorAccessDenied;
      if (!cause.empty()) message += " (" + cause + ")";
      break;
    }
    case SQLITE_PERM:
    case SQLITE_AUTH:
      status = kErrorAccessDenied;
      break;
    case SQLITE_CANTOPEN: {
      int error = CantOpenCause(path_, db_ ? sqlite3_system_errno(db_) : 0);
      status = RefusalStatus(error);
      if (error != 0) message += std::string(" (") + std::strerror(error) + ")";
      break;
    }
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      status = kErrorTimeout;
      break;
    case SQLITE_NOMEM:
      status = kErrorNotEnoughMemory;
      break;
    case SQLITE_FULL:
      status = kErrorWriteFault;
      break;
    default:
      break;
  }
  return FailWith(status, std::move(message));
}

Status SqliteStore::WriteRefusal(std::string* cause) {
  if (access(path_.c_str(), W_OK) == 0) return kErrorRegistryIo;
  const int error = errno;
  *cause = std::strerror(error);
  return RefusalStatus(error);
}

Status SqliteStore::Finish(Status status) {
  if (status == kOk || status == kErrorNotFound) last_error_.clear();
  // A damaged, replaced, repaired or newly writable file is picked up by the next operation.
  if (broken_) CloseLocked();
  broken_ = false;
  return status;
}

Status SqliteStore::BadPath(std::string_view key) {
  last_error_ = "malformed key path \"" + std::string(key) + "\"";
  return kErrorBadPathname;
}

Status SqliteStore::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? kOk : Fail(rc);
}

Status SqliteStore::EnsureOpen() {
  if (db_ && opened_in_generation_ != ForkGeneration()) {
    // A connection inherited through fork() belongs to the parent; closing it here could
    // release or disturb the parent's locks, so it is left alone and a new one opened.
    db_ = nullptr;
    statements_ = nullptr;
  }
  if (db_) return kOk;
  return OpenLocked();
}

int SqliteStore::OpenFile() {
  CreateParentDirectories(path_);
  CreateSharedStoreFile(path_);
  return sqlite3_open_v2(path_.c_str(), &db_,
                         SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
}

Status SqliteStore::OpenLocked() {
  opened_in_generation_ = ForkGeneration();
  struct stat st;
  if (stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return FailWith(kErrorAccessDenied, "the path is a directory");
  }
  int rc = OpenFile();
  if (rc != SQLITE_OK) return Fail(rc);
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, busy_timeout_ms_);

  // Nothing is changed before the file is known to be ours (or empty): another program's
  // database is refused as it is. Until then closing must not even checkpoint its WAL.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  // One read transaction for the version and the tables: another process creating the store
  // at this moment commits both at once, and two separate reads could see one without the
  // other and take a new store for a foreign file.
  int version = 0;
  Status status = Exec("BEGIN");
  if (status != kOk) return status;
  status = CheckKind(&version);
  sqlite3_exec(db_, status == kOk ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
  if (status != kOk) return status;
  sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);

  // A file that only allows reading is still served for reads; it cannot be switched to WAL,
  // and the first write reports it.
  if (sqlite3_db_readonly(db_, "main") != 1) {
    status = EnableWal();
    if (status != kOk) return status;
  }
  status = Exec("PRAGMA synchronous=FULL");
  if (status != kOk) return status;
  status = InitSchemaLocked(version);
  if (status != kOk) return status;

  statements_ = new Statements;
  rc = statements_->Prepare(db_);
  if (rc != SQLITE_OK) return Fail(rc);
  return kOk;
}

Status SqliteStore::EnableWal() {
  // Switching a new file to WAL needs an exclusive lock, for which SQLite does not wait: when
  // another process is creating the same file at this moment, retry until it is done. Once the
  // file is in WAL mode the statement changes nothing and takes no such lock.
  for (int waited_ms = 0;; waited_ms += kWalRetryMs) {
    int rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return kOk;
    if ((rc & 0xff) != SQLITE_BUSY || waited_ms >= busy_timeout_ms_) return Fail(rc);
    sqlite3_sleep(kWalRetryMs);
  }
}

Status SqliteStore::ReadInt(const char* sql, int* out) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      *out = sqlite3_column_int(stmt, 0);
      rc = SQLITE_OK;
    }
  }
  Status status = rc == SQLITE_OK ? kOk : Fail(rc);
  sqlite3_finalize(stmt);
  return status;
}

Status SqliteStore::CheckKind(int* version) {
  Status status = ReadInt("PRAGMA user_version", version);
  if (status != kOk) return status;
  if (*version > kSchemaVersion) {
    return FailWith(kErrorRegistryCorrupt, "the store was written by a newer version (format " +
                                               std::to_string(*version) + ")");
  }
  // Version 0 must be a file without tables (new or empty); the current version must have
  // both tables of the store, so another program's database that happens to carry the same
  // version number is refused too.
  int tables = 0;
  int ours = 0;
  status = ReadInt("SELECT count(*) FROM sqlite_schema", &tables);
  if (status == kOk) {
    status = ReadInt(
        "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND "
        "name IN ('store_key', 'store_value')",
        &ours);
  }
  if (status != kOk) return status;
  if ((*version == 0 && tables != 0) || (*version == kSchemaVersion && ours != 2)) {
    return FailWith(kErrorRegistryCorrupt, "the file is an SQLite database of another kind");
  }
  return kOk;
}

Status SqliteStore::InitSchemaLocked(int version) {
  if (version == kSchemaVersion) return kOk;
  if (sqlite3_db_readonly(db_, "main") == 1) {
    return FailWith(kErrorAccessDenied, "the store is empty and its file is read-only");
  }
  // Another process may be creating the tables at this moment: decide again under the write
  // lock.
  Status status = Exec("BEGIN IMMEDIATE");
  if (status != kOk) return status;
  status = CheckKind(&version);
  if (status == kOk && version == 0) {
    status = Exec(kSchemaSql);
    if (status == kOk) {
      status = Exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
    }
  }
  if (status == kOk) return Exec("COMMIT");
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return status;
}

void SqliteStore::EndRead() {
  if (sqlite3_get_autocommit(db_)) return;
  StatementScope scope(statements_->commit);
  sqlite3_step(statements_->commit);
}

template <typename Body>
Status SqliteStore::WriteTransaction(Body body) {
  // A file deleted or renamed under an open connection would swallow every later write
  // unseen; such a connection is replaced by one on the file now at the path.
  int moved = 0;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved) {
    CloseLocked();
    Status status = OpenLocked();
    if (status != kOk) return status;
  }
  {
    StatementScope scope(statements_->begin);
    int rc = sqlite3_step(statements_->begin);
    if (rc != SQLITE_DONE) return Fail(rc);
  }
  Status status = body();
  if (status == kOk) {
    StatementScope scope(statements_->commit);
    int rc = sqlite3_step(statements_->commit);
    if (rc == SQLITE_DONE) return kOk;
    status = Fail(rc);
  }
  if (!sqlite3_get_autocommit(db_)) {
    StatementScope scope(statements_->rollback);
    sqlite3_step(statements_->rollback);
  }
  return status;
}

Status SqliteStore::FindKey(std::string_view key, int64_t* id, std::string* stored_path) {
  sqlite3_stmt* stmt = statements_->find_key;
  StatementScope scope(stmt);
  BindText(stmt, 1, key);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) return kErrorNotFound;
  if (rc != SQLITE_ROW) return Fail(rc);
  *id = sqlite3_column_int64(stmt, 0);
  if (stored_path) *stored_path = ColumnText(stmt, 1);
  return kOk;
}

Status SqliteStore::CreateKeyInTransaction(std::string_view key, int64_t* id) {
  std::string parent_path;
  Status status = FindKey(key, id, nullptr);
  if (status != kErrorNotFound) return status;

  // Walk down from the root, creating each missing component with the spelling given here and
  // its parent's stored spelling in front.
  int64_t parent = kRootKeyId;
  size_t start = 0;
  while (true) {
    size_t end = key.find('\\', start);
    std::string_view prefix = key.substr(0, end);
    std::string_view name =
        key.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    int64_t found = 0;
    std::string stored;
    status = FindKey(prefix, &found, &stored);
    if (status == kErrorNotFound) {
      stored = parent_path.empty() ? std::string(name) : parent_path + "\\" + std::string(name);
      sqlite3_stmt* stmt = statements_->insert_key;
      StatementScope scope(stmt);
      sqlite3_bind_int64(stmt, 1, parent);
      BindText(stmt, 2, stored);
      BindText(stmt, 3, name);
      int rc = sqlite3_step(stmt);
      if (rc != SQLITE_DONE) return Fail(rc);
      found = sqlite3_last_insert_rowid(db_);
    } else if (status != kOk) {
      return status;
    }
    parent = found;
    parent_path = std::move(stored);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  *id = parent;
  return kOk;
}

Status SqliteStore::GetValue(std::string_view key, std::string_view name, ValueType* type,
                             std::string* data) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  Status status = EnsureOpen();
  if (status == kOk) {
    sqlite3_stmt* stmt = statements_->get_value;
    StatementScope scope(stmt);
    BindText(stmt, 1, key);
    BindText(stmt, 2, name);
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      *type = static_cast<ValueType>(sqlite3_column_int64(stmt, 0));
      *data = ColumnBytes(stmt, 1);
    } else {
      status = rc == SQLITE_DONE ? kErrorNotFound : Fail(rc);
    }
  }
  return Finish(status);
}

Status SqliteStore::UpsertInTransaction(const StoreWrite& write) {
  int64_t id = 0;
  Status status = CreateKeyInTransaction(write.key, &id);
  if (status != kOk) return status;
  sqlite3_stmt* stmt = statements_->upsert_value;
  StatementScope scope(stmt);
  sqlite3_bind_int64(stmt, 1, id);
  BindText(stmt, 2, write.name);
  sqlite3_bind_int64(stmt, 3, static_cast<int64_t>(write.type));
  BindBlob(stmt, 4, write.data);
  int rc = sqlite3_step(stmt);
  return rc == SQLITE_DONE ? kOk : Fail(rc);
}

Status SqliteStore::SetValue(std::string_view key, std::string_view name, ValueType type,
                             std::string_view data) {
  const StoreWrite write{key, name, type, data};
  return SetValues(std::span<const StoreWrite>(&write, 1));
}

Status SqliteStore::SetValues(std::span<const StoreWrite> writes) {
  std::lock_guard<std::mutex> lock(mu_);
  for (const StoreWrite& write : writes) {
    if (!IsValidKeyPath(write.key)) return BadPath(write.key);
  }
  if (writes.empty()) return kOk;
  Status status = EnsureOpen();
  if (status == kOk) {
    status = WriteTransaction([&]() -> Status {
      for (const StoreWrite& write : writes) {
        if (Status s = UpsertInTransaction(write)) return s;
      }
      return kOk;
    });
  }
  return Finish(status);
}

Status SqliteStore::DeleteValue(std::string_view key, std::string_view name) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  Status status = EnsureOpen();
  if (status == kOk) {
    status = WriteTransaction([&]() -> Status {
      int64_t id = 0;
      Status s = FindKey(key, &id, nullptr);
      if (s != kOk) return s;
      sqlite3_stmt* stmt = statements_->delete_value;
      StatementScope scope(stmt);
      sqlite3_bind_int64(stmt, 1, id);
      BindText(stmt, 2, name);
      int rc = sqlite3_step(stmt);
      if (rc != SQLITE_DONE) return Fail(rc);
      return sqlite3_changes(db_) > 0 ? kOk : kErrorNotFound;
    });
  }
  return Finish(status);
}

Status SqliteStore::CreateKey(std::string_view key) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  Status status = EnsureOpen();
  if (status == kOk) {
    status = WriteTransaction([&]() -> Status {
      int64_t id = 0;
      return CreateKeyInTransaction(key, &id);
    });
  }
  return Finish(status);
}

Status SqliteStore::KeyExists(std::string_view key) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  Status status = EnsureOpen();
  if (status == kOk) {
    int64_t id = 0;
    status = FindKey(key, &id, nullptr);
  }
  return Finish(status);
}

Status SqliteStore::DeleteKeyTree(std::string_view key) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  if (key.empty()) {
    last_error_ = "the root key cannot be deleted";
    return kErrorAccessDenied;
  }
  Status status = EnsureOpen();
  if (status == kOk) {
    status = WriteTransaction([&]() -> Status {
      int64_t id = 0;
      std::string stored;
      Status s = FindKey(key, &id, &stored);
      if (s != kOk) return s;
      // Under NOCASE every path below the key sorts strictly between "key\" and "key]",
      // because ']' follows '\' and letters fold to lower case, above both.
      const std::string low = stored + "\\";
      const std::string high = stored + "]";
      for (sqlite3_stmt* stmt : {statements_->delete_tree_values, statements_->delete_tree_keys}) {
        StatementScope scope(stmt);
        BindText(stmt, 1, stored);
        BindText(stmt, 2, low);
        BindText(stmt, 3, high);
        int rc = sqlite3_step(stmt);
        if (rc != SQLITE_DONE) return Fail(rc);
      }
      return kOk;
    });
  }
  return Finish(status);
}

template <typename Row>
Status SqliteStore::ReadKeyRows(std::string_view key, sqlite3_stmt* stmt, Row row) {
  // One read transaction for the lookup and the listing, so a concurrent delete of the key
  // cannot fall between them.
  {
    StatementScope scope(statements_->begin_read);
    int rc = sqlite3_step(statements_->begin_read);
    if (rc != SQLITE_DONE) return Fail(rc);
  }
  int64_t id = 0;
  Status status = FindKey(key, &id, nullptr);
  if (status == kOk) {
    StatementScope scope(stmt);
    sqlite3_bind_int64(stmt, 1, id);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) row(stmt);
    if (rc != SQLITE_DONE) status = Fail(rc);
  }
  EndRead();
  return status;
}

Status SqliteStore::ListValues(std::string_view key, std::vector<StoreValue>* values) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  Status status = EnsureOpen();
  if (status != kOk) return Finish(status);
  std::vector<StoreValue> result;
  status = ReadKeyRows(key, statements_->list_values, [&](sqlite3_stmt* stmt) {
    StoreValue v;
    v.name = ColumnText(stmt, 0);
    v.type = static_cast<ValueType>(sqlite3_column_int64(stmt, 1));
    v.data = ColumnBytes(stmt, 2);
    result.push_back(std::move(v));
  });
  if (status == kOk) *values = std::move(result);
  return Finish(status);
}

Status SqliteStore::ListSubkeys(std::string_view key, std::vector<std::string>* names) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!IsValidKeyPath(key)) return BadPath(key);
  Status status = EnsureOpen();
  if (status != kOk) return Finish(status);
  std::vector<std::string> result;
  status = ReadKeyRows(key, statements_->list_subkeys,
                       [&](sqlite3_stmt* stmt) { result.push_back(ColumnText(stmt, 0)); });
  if (status == kOk) *names = std::move(result);
  return Finish(status);
}

Status SqliteStore::CheckUsable(std::string* reason) {
  std::lock_guard<std::mutex> lock(mu_);
  Status status = EnsureOpen();
  if (status == kOk && sqlite3_db_readonly(db_, "main") == 1) {
    // SQLite fell back to reading: every write would fail. The connection is closed again
    // (FailWith), so a file that becomes writable is opened for writing next time.
    std::string cause;
    status = WriteRefusal(&cause);
    if (status == kErrorRegistryIo) status = kErrorAccessDenied;
    status = FailWith(status, "the file is read-only" + (cause.empty() ? "" : " (" + cause + ")"));
  }
  if (reason != nullptr) *reason = status == kOk ? std::string() : last_error_;
  return Finish(status);
}

}  // namespace quillon
