#ifndef QUILLON_PLATFORM_POSIX_SQLITE_STORE_H_
#define QUILLON_PLATFORM_POSIX_SQLITE_STORE_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quillon {

// The settings store kept in one SQLite database file.
//
// Keys are rows addressed by their full path ("SOFTWARE\Morvath\TALVEN"), values rows addressed
// by (key, name) holding the registry type code and the raw bytes. Key and value names match
// without regard to ASCII case; each keeps the spelling it was first written with. The root
// key (HKEY_LOCAL_MACHINE itself) is the empty path: it always exists and cannot be deleted.
//
// The file runs in WAL mode with synchronous=FULL, and every write is one BEGIN IMMEDIATE
// transaction, so several processes may read and write at once and a write that returned 0
// survives a crash of the process or the machine. A write waits for another process's write
// lock up to the busy timeout given at construction.
//
// The database is opened on first use (and again in a child after fork()); the directory that
// holds it is created when missing. Nothing fails in the constructor: when the file cannot be
// opened, is not a database, is damaged, unreadable or read-only, or is of a newer format,
// every operation that needs it returns a non-zero status (and the next operation tries to open
// the file again). A file that is not a store of this kind (another program's SQLite database,
// a newer format) is refused before anything is changed in it. The statuses used:
//   kErrorNotFound         key or value missing;
//   kErrorBadPathname      key path with an empty component (leading, trailing or doubled
//                          backslash);
//   kErrorAccessDenied     file or directory not readable / not writable, the path is a
//                          directory or passes through a file, or an attempt to delete the
//                          root key;
//   kErrorWriteProtect     the file lies on a read-only file system;
//   kErrorRegistryCorrupt  the file is not a database of this store or is damaged;
//   kErrorTimeout          another process held the write lock for longer than the timeout;
//   kErrorRegistryIo       any other failure of the file or the database.
// A read-only file can still be read where SQLite can open it; writes to it fail. A write
// after the file was deleted or replaced goes to the file now at the path.
//
// Thread-safe: one connection guarded by a mutex. Safe in several processes at once.
class SqliteStore : public Store {
 public:
  // How long a write waits for another process's write lock unless told otherwise.
  static constexpr int kDefaultBusyTimeoutMs = 5000;

  // `path` names the database file; it is created on first use when missing. A write waits
  // up to `busy_timeout_ms` for the write lock before it fails with kErrorTimeout.
  explicit SqliteStore(std::string path, int busy_timeout_ms = kDefaultBusyTimeoutMs);
  ~SqliteStore() override;

  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;

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
  // Opens the file when needed (creating an empty store), then checks that the connection may
  // write: kErrorWriteProtect on a read-only file system, kErrorAccessDenied for a file the
  // process may not write. Writes nothing.
  Status CheckUsable(std::string* reason) override;

  // The database file this store works on.
  const std::string& path() const { return path_; }

  // A one-line English description of the most recent failure of any operation on this store
  // (for example "database disk image is malformed"); empty when the most recent operation
  // succeeded or failed only with kErrorNotFound. Thread-safe.
  std::string LastError() override;

 private:
  struct Statements;

  // All of the following run with mu_ held.
  Status EnsureOpen();
  Status OpenLocked();
  // Opens (and, when missing, creates) the database file itself: the one place a store file
  // comes into being.
  int OpenFile();
  // Reads the format version and checks the file holds this store's tables or none at all
  // (reads only). 0 with *version set, or kErrorRegistryCorrupt for a file of another kind
  // or a newer format.
  Status CheckKind(int* version);
  Status ReadInt(const char* sql, int* out);
  Status EnableWal();
  Status InitSchemaLocked(int version);
  // The status and cause text of a write the file system refuses (read-only file system,
  // no permission), from access(2) on the file.
  Status WriteRefusal(std::string* cause);
  void CloseLocked();
  // Record the failure (SQLite result code `rc`, or a status and text), map it to a status
  // and mark the connection to be closed when the operation ends, so that the next operation
  // opens the file afresh.
  Status Fail(int rc);
  Status FailWith(Status status, std::string message);
  // Ends every public operation: clears the failure text after a success or a plain
  // not-found, and closes a connection whose file failed.
  Status Finish(Status status);
  Status BadPath(std::string_view key);
  Status Exec(const char* sql);
  // Ends the read transaction that ReadKeyRows opened.
  void EndRead();
  // The listings: in one read transaction, looks up `key`, binds its row id to `stmt`'s first
  // parameter and calls `row(stmt)` for every result row. 0 when every row was read;
  // kErrorNotFound (no rows given) or a failure otherwise.
  template <typename Row>
  Status ReadKeyRows(std::string_view key, sqlite3_stmt* stmt, Row row);
  // Runs `body` inside BEGIN IMMEDIATE ... COMMIT, rolling back when it returns non-zero.
  template <typename Body>
  Status WriteTransaction(Body body);
  // Looks up a key: 0 and its row id (and stored path when `stored_path` is not null), or
  // kErrorNotFound, or a failure.
  Status FindKey(std::string_view key, int64_t* id, std::string* stored_path);
  // Writes one value inside the caller's transaction.
  Status UpsertInTransaction(const StoreWrite& write);
  // Creates `key` and its missing parents inside the caller's transaction.
  Status CreateKeyInTransaction(std::string_view key, int64_t* id);

  const std::string path_;
  const int busy_timeout_ms_;
  std::mutex mu_;
  sqlite3* db_ = nullptr;
  Statements* statements_ = nullptr;
  uint64_t opened_in_generation_ = 0;  // fork generation in which db_ was opened
  bool broken_ = false;                // the current operation found the file at fault
  std::string last_error_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_SQLITE_STORE_H_
