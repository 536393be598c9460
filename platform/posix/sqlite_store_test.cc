#include "platform/posix/sqlite_store.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "gtest/gtest.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/memory_store.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/store_path.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

constexpr char kKey[] = "SOFTWARE\\Morvath\\TALVEN";

std::string Dword(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// Runs `body` in a child process and returns its result (the child's exit code), or -1 when
// the child died. When the tests run as root the child drops to the unprivileged user
// "nobody" first, so that file permissions apply to it.
int RunInChild(const std::function<int()>& body, bool as_nobody) {
  pid_t pid = fork();
  if (pid == 0) {
    if (as_nobody && geteuid() == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    }
    _exit(body());
  }
  int wstatus = 0;
  if (pid < 0 || waitpid(pid, &wstatus, 0) != pid) return -1;
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

class SqliteStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
    // Children that drop to "nobody" must be able to reach the files.
    chmod(dir_.c_str(), 0755);
    path_ = dir_ + "/registry.db";
  }

  void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  // Every operation of `store` fails with a non-zero status and leaves outputs untouched.
  void ExpectEveryAccessFails(SqliteStore* store) {
    ValueType type = ValueType::kNone;
    std::string data = "untouched";
    EXPECT_NE(store->GetValue(kKey, "Language", &type, &data), kOk);
    EXPECT_EQ(data, "untouched");
    EXPECT_NE(store->SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
    EXPECT_NE(store->DeleteValue(kKey, "Language"), kOk);
    EXPECT_NE(store->CreateKey(kKey), kOk);
    EXPECT_NE(store->KeyExists(kKey), kOk);
    EXPECT_NE(store->DeleteKeyTree(kKey), kOk);
    std::vector<StoreValue> values;
    EXPECT_NE(store->ListValues(kKey, &values), kOk);
    std::vector<std::string> names;
    EXPECT_NE(store->ListSubkeys(kKey, &names), kOk);
    EXPECT_FALSE(store->LastError().empty());
  }

  TempDir temp_{"quillon-store-"};
  std::string dir_;
  std::string path_;
};

TEST_F(SqliteStoreTest, ValuesRoundTripWithNamesMatchedWithoutCase) {
  SqliteStore store(path_);
  const std::string text("2026/01/02\0\0\0\0\0\0", 16);
  ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  ASSERT_EQ(store.SetValue(kKey, "InstallDate", ValueType::kSz, text), kOk);
  ASSERT_EQ(store.SetValue(kKey, "", ValueType::kSz, std::string("\0", 1)), kOk);
  ASSERT_EQ(store.SetValue(kKey, "Empty", ValueType::kBinary, ""), kOk);

  ValueType type = ValueType::kNone;
  std::string data;
  ASSERT_EQ(store.GetValue("software\\MORVATH\\talven", "LANGUAGE", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kDword);
  EXPECT_EQ(data, Dword(1));
  ASSERT_EQ(store.GetValue(kKey, "installdate", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kSz);
  EXPECT_EQ(data, text);  // every byte, zeros included
  ASSERT_EQ(store.GetValue(kKey, "", &type, &data), kOk);
  EXPECT_EQ(data, std::string("\0", 1));
  ASSERT_EQ(store.GetValue(kKey, "empty", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kBinary);
  EXPECT_EQ(data, "");

  // Overwriting through another spelling replaces type and data but keeps the first name.
  ASSERT_EQ(store.SetValue(kKey, "LANGUAGE", ValueType::kSz, "x"), kOk);
  std::vector<StoreValue> values;
  ASSERT_EQ(store.ListValues("Software\\Morvath\\Talven", &values), kOk);
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].name, "");
  EXPECT_EQ(values[1].name, "Empty");
  EXPECT_EQ(values[2].name, "InstallDate");
  EXPECT_EQ(values[3].name, "Language");
  EXPECT_EQ(values[3].type, ValueType::kSz);
  EXPECT_EQ(values[3].data, "x");

  // A second store on the same file sees everything.
  SqliteStore other(path_);
  ASSERT_EQ(other.GetValue(kKey, "Language", &type, &data), kOk);
  EXPECT_EQ(data, "x");
}

TEST_F(SqliteStoreTest, MissingKeysAndValuesAreNotFoundAndLeaveOutputsAlone) {
  SqliteStore store(path_);
  ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  ValueType type = ValueType::kMultiSz;
  std::string data = "preset";
  EXPECT_EQ(store.GetValue(kKey, "Missing", &type, &data), kErrorNotFound);
  EXPECT_EQ(store.GetValue("SOFTWARE\\Nobody", "Language", &type, &data), kErrorNotFound);
  EXPECT_EQ(type, ValueType::kMultiSz);
  EXPECT_EQ(data, "preset");
  EXPECT_EQ(store.DeleteValue(kKey, "Missing"), kErrorNotFound);
  EXPECT_EQ(store.DeleteValue("SOFTWARE\\Nobody", "Language"), kErrorNotFound);
  EXPECT_EQ(store.KeyExists("SOFTWARE\\Nobody"), kErrorNotFound);
  EXPECT_EQ(store.DeleteKeyTree("SOFTWARE\\Nobody"), kErrorNotFound);
  std::vector<StoreValue> values{StoreValue{}};
  EXPECT_EQ(store.ListValues("SOFTWARE\\Nobody", &values), kErrorNotFound);
  EXPECT_EQ(values.size(), 1u);
  std::vector<std::string> names{"kept"};
  EXPECT_EQ(store.ListSubkeys("SOFTWARE\\Nobody", &names), kErrorNotFound);
  EXPECT_EQ(names.size(), 1u);
  EXPECT_TRUE(store.LastError().empty());

  ASSERT_EQ(store.DeleteValue(kKey, "LANGUAGE"), kOk);
  EXPECT_EQ(store.GetValue(kKey, "Language", &type, &data), kErrorNotFound);
  EXPECT_EQ(store.KeyExists(kKey), kOk);  // the key outlives its last value
}

TEST_F(SqliteStoreTest, FileIsVersionedWalAndDirectoryIsCreated) {
  const std::string nested = dir_ + "/var/lib/quillon/registry.db";
  {
    SqliteStore store(nested);
    ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(0)), kOk);
    EXPECT_EQ(store.path(), nested);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(nested.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    auto pragma = [db](const char* sql) {
      sqlite3_stmt* stmt = nullptr;
      std::string result;
      if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
          sqlite3_step(stmt) == SQLITE_ROW) {
        result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      }
      sqlite3_finalize(stmt);
      return result;
    };
    EXPECT_EQ(pragma("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(pragma("PRAGMA user_version"), "1");
    sqlite3_close(db);
  }
}

TEST_F(SqliteStoreTest, StorePathHonoursTheEnvironment) {
  const char* old = std::getenv("QUILLON_REGISTRY");
  std::string saved = old ? old : "";
  unsetenv("QUILLON_REGISTRY");
  EXPECT_EQ(StorePath(), "/var/lib/quillon/registry.db");
  setenv("QUILLON_REGISTRY", "", 1);
  EXPECT_EQ(StorePath(), "/var/lib/quillon/registry.db");
  setenv("QUILLON_REGISTRY", path_.c_str(), 1);
  EXPECT_EQ(StorePath(), path_);
  std::unique_ptr<Store> store = OpenSystemStore();
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  EXPECT_TRUE(std::filesystem::exists(path_));
  if (old) {
    setenv("QUILLON_REGISTRY", saved.c_str(), 1);
  } else {
    unsetenv("QUILLON_REGISTRY");
  }
}

TEST_F(SqliteStoreTest, JunkFileFailsEveryAccessAndRecoversWhenReplaced) {
  WriteFile(path_, std::string(4096, 'J') + "this is not a database");
  SqliteStore store(path_);
  ExpectEveryAccessFails(&store);
  ValueType type;
  std::string data;
  EXPECT_EQ(store.GetValue(kKey, "Language", &type, &data), kErrorRegistryCorrupt);
  EXPECT_NE(store.LastError().find("not a database"), std::string::npos) << store.LastError();

  // The next operation opens the file again, so a restored file is used at once.
  std::filesystem::remove(path_);
  EXPECT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  EXPECT_EQ(store.GetValue(kKey, "Language", &type, &data), kOk);
  EXPECT_TRUE(store.LastError().empty());
}

// Callers hold the store as a Store (from the factory, often behind a wrapper) and still get
// the cause of a failure for their message.
TEST_F(SqliteStoreTest, FailureTextTravelsThroughTheStoreInterface) {
  WriteFile(path_, std::string(4096, 'J') + "this is not a database");
  std::unique_ptr<Store> store = NewStore(path_);
  FailingStore wrapper(store.get());
  EXPECT_EQ(wrapper.KeyExists(kKey), kErrorRegistryCorrupt);
  EXPECT_NE(wrapper.LastError().find("not a database"), std::string::npos) << wrapper.LastError();
  EXPECT_EQ(wrapper.LastError(), store->LastError());

  MemoryStore memory;
  EXPECT_EQ(memory.KeyExists(kKey), kErrorNotFound);
  EXPECT_TRUE(memory.LastError().empty());
}

TEST_F(SqliteStoreTest, DamagedPagesFailEveryAccess) {
  {
    SqliteStore store(path_);
    for (int i = 0; i < 30; ++i) {
      ASSERT_EQ(store.SetValue(kKey + std::string("\\K") + std::to_string(i), "Value",
                               ValueType::kSz, std::string(1000, 'a')),
                kOk);
    }
  }  // the last connection folds the WAL back into the file
  ASSERT_FALSE(std::filesystem::exists(path_ + "-wal"));
  // Keep the 100-byte header, overwrite the rest of the first page and the start of the next
  // ones (the table of tables and the roots of the tables).
  int fd = open(path_.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  std::string junk(3 * 4096, '\x5a');
  ASSERT_EQ(pwrite(fd, junk.data(), junk.size(), 100), static_cast<ssize_t>(junk.size()));
  close(fd);

  SqliteStore store(path_);
  ExpectEveryAccessFails(&store);
  ValueType type;
  std::string data;
  EXPECT_EQ(store.GetValue(kKey, "Value", &type, &data), kErrorRegistryCorrupt)
      << store.LastError();
}

TEST_F(SqliteStoreTest, WritesAfterTheFileWasDeletedGoToANewFile) {
  SqliteStore store(path_);
  ASSERT_EQ(store.SetValue(kKey, "Old", ValueType::kDword, Dword(1)), kOk);
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_ + suffix);
  ASSERT_EQ(store.SetValue(kKey, "New", ValueType::kDword, Dword(2)), kOk);
  SqliteStore other(path_);
  ValueType type;
  std::string data;
  EXPECT_EQ(other.GetValue(kKey, "New", &type, &data), kOk);
  EXPECT_EQ(other.GetValue(kKey, "Old", &type, &data), kErrorNotFound);
}

TEST_F(SqliteStoreTest, ForeignOrNewerDatabasesAreRefused) {
  for (const char* sql :
       {"CREATE TABLE t(x); INSERT INTO t VALUES(1);", "PRAGMA user_version=9;"}) {
    std::filesystem::remove(path_);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    SqliteStore store(path_);
    ExpectEveryAccessFails(&store);
  }
  // The foreign file was left as it was.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "SELECT * FROM store_key", nullptr, nullptr, nullptr), SQLITE_ERROR);
  sqlite3_close(db);
}

TEST_F(SqliteStoreTest, ReadOnlyFileServesReadsAndRefusesWrites) {
  {
    SqliteStore store(path_);
    ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  }
  // The directory stays writable for the reader's shared-memory file; the database is not.
  chmod(dir_.c_str(), 0777);
  chmod(path_.c_str(), 0444);
  int result = RunInChild(
      [this]() {
        SqliteStore store(path_);
        ValueType type;
        std::string data;
        if (store.GetValue(kKey, "Language", &type, &data) != kOk || data != Dword(1)) return 1;
        if (store.SetValue(kKey, "Language", ValueType::kDword, Dword(2)) != kErrorAccessDenied) {
          return 2;
        }
        if (store.DeleteKeyTree(kKey) == kOk || store.CreateKey("SOFTWARE\\New") == kOk) return 3;
        if (store.LastError().empty()) return 4;
        if (store.GetValue(kKey, "Language", &type, &data) != kOk || data != Dword(1)) return 5;
        return 0;
      },
      /*as_nobody=*/true);
  EXPECT_EQ(result, 0);
}

TEST_F(SqliteStoreTest, UnreadableFileOrDirectoryFailsEveryAccess) {
  {
    SqliteStore store(path_);
    ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  }
  chmod(path_.c_str(), 0);
  const std::string locked_dir = dir_ + "/locked";
  mkdir(locked_dir.c_str(), 0555);
  for (const std::string& path : {path_, locked_dir + "/registry.db", locked_dir + "/a/b.db"}) {
    int result = RunInChild(
        [this, path]() {
          SqliteStore store(path);
          ExpectEveryAccessFails(&store);
          ValueType type;
          std::string data;
          if (store.GetValue(kKey, "Language", &type, &data) != kErrorAccessDenied) return 2;
          return ::testing::Test::HasFailure() ? 1 : 0;
        },
        /*as_nobody=*/true);
    EXPECT_EQ(result, 0) << path;
  }
}

// Two children write on the same go signal; when the file does not exist yet they also race
// to create it.
void WriteFromTwoProcessesAtOnce(const std::string& path, int writes) {
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      close(go[1]);
      char byte;
      (void)!read(go[0], &byte, 1);  // both start when the parent closes the pipe
      SqliteStore store(path);
      int failures = 0;
      for (int i = 0; i < writes; ++i) {
        std::string own = "Child" + std::to_string(c);
        if (store.SetValue(kKey, own, ValueType::kDword, Dword(i)) != kOk) ++failures;
        if (store.SetValue(kKey + std::string("\\Shared\\") + std::to_string(i % 10), "Last",
                           ValueType::kDword, Dword(c)) != kOk) {
          ++failures;
        }
      }
      _exit(failures > 100 ? 100 : failures);
    }
  }
  close(go[0]);
  close(go[1]);
  for (pid_t child : children) {
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), 0) << "failed writes in one child";
  }
  SqliteStore store(path);
  ValueType type;
  std::string data;
  for (const char* name : {"Child0", "Child1"}) {
    ASSERT_EQ(store.GetValue(kKey, name, &type, &data), kOk);
    EXPECT_EQ(data, Dword(writes - 1));
  }
}

TEST_F(SqliteStoreTest, TwoProcessesWritingAtOnceBothSucceed) {
  {
    SqliteStore store(path_);
    ASSERT_EQ(store.CreateKey(kKey), kOk);
  }
  WriteFromTwoProcessesAtOnce(path_, 100);
}

TEST_F(SqliteStoreTest, TwoProcessesCreatingTheFileAtOnceBothSucceed) {
  for (int round = 0; round < 8; ++round) {
    const std::string path = dir_ + "/fresh" + std::to_string(round) + "/registry.db";
    WriteFromTwoProcessesAtOnce(path, 10);
  }
}

TEST_F(SqliteStoreTest, KilledWriterNeverLeavesAHalfWrittenValue) {
  constexpr size_t kSize = 8192;  // spans several pages
  std::mt19937 random(20261208);
  for (int round = 0; round < 8; ++round) {
    int acks[2];
    ASSERT_EQ(pipe(acks), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(acks[0]);
      SqliteStore store(path_);
      for (uint32_t i = 1;; ++i) {
        // Two values and a new key per round: all or none of each write must land.
        std::string blob(kSize, static_cast<char>('A' + i % 26));
        blob.replace(0, 4, Dword(i));
        if (store.SetValue(kKey + std::string("\\Blob"), "Data", ValueType::kBinary, blob) != kOk ||
            store.SetValue(kKey + std::string("\\Run\\") + std::to_string(i), "Counter",
                           ValueType::kDword, Dword(i)) != kOk) {
          _exit(3);
        }
        if (write(acks[1], &i, sizeof i) != sizeof i) _exit(4);
      }
    }
    close(acks[1]);
    // Let it acknowledge a random number of writes, then kill it wherever it is.
    const int wanted = std::uniform_int_distribution<int>(1, 40)(random);
    uint32_t acked = 0;
    for (int n = 0; n < wanted; ++n) {
      ASSERT_EQ(read(acks[0], &acked, sizeof acked), static_cast<ssize_t>(sizeof acked));
    }
    kill(child, SIGKILL);
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFSIGNALED(wstatus)) << "writer failed with " << WEXITSTATUS(wstatus);
    uint32_t more = 0;
    while (read(acks[0], &more, sizeof more) == sizeof more) acked = more;
    close(acks[0]);

    SqliteStore store(path_);
    ValueType type;
    std::string data;
    ASSERT_EQ(store.GetValue(kKey + std::string("\\Blob"), "Data", &type, &data), kOk);
    ASSERT_EQ(data.size(), kSize);
    uint32_t stamp;
    std::memcpy(&stamp, data.data(), 4);
    EXPECT_GE(stamp, acked) << "an acknowledged write was lost";
    EXPECT_LE(stamp, acked + 1);
    EXPECT_EQ(data.find_first_not_of(static_cast<char>('A' + stamp % 26), 4), std::string::npos)
        << "half-written value in round " << round;
    ASSERT_EQ(store.GetValue(kKey + std::string("\\Run\\") + std::to_string(acked), "Counter",
                             &type, &data),
              kOk);
    EXPECT_EQ(data, Dword(acked));

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok");
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    ASSERT_EQ(store.DeleteKeyTree(kKey + std::string("\\Run")), kOk);
  }
}

TEST_F(SqliteStoreTest, StoreInheritedThroughForkOpensItsOwnConnection) {
  SqliteStore store(path_);
  ASSERT_EQ(store.SetValue(kKey, "Parent", ValueType::kDword, Dword(1)), kOk);
  int result = RunInChild(
      [&store]() {
        ValueType type;
        std::string data;
        if (store.GetValue(kKey, "Parent", &type, &data) != kOk) return 1;
        return store.SetValue(kKey, "Child", ValueType::kDword, Dword(2)) == kOk ? 0 : 2;
      },
      /*as_nobody=*/false);
  EXPECT_EQ(result, 0);
  ValueType type;
  std::string data;
  EXPECT_EQ(store.GetValue(kKey, "Child", &type, &data), kOk);
  EXPECT_EQ(store.SetValue(kKey, "Parent", ValueType::kDword, Dword(3)), kOk);
}

TEST_F(SqliteStoreTest, ThreadsShareOneStore) {
  SqliteStore store(path_);
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&store, &failures, t]() {
      const std::string name = "T" + std::to_string(t);
      for (uint32_t i = 0; i < 50; ++i) {
        ValueType type;
        std::string data;
        if (store.SetValue(kKey, name, ValueType::kDword, Dword(i)) != kOk ||
            store.GetValue(kKey, name, &type, &data) != kOk || data != Dword(i)) {
          ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  std::vector<StoreValue> values;
  ASSERT_EQ(store.ListValues(kKey, &values), kOk);
  EXPECT_EQ(values.size(), 4u);
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(SqliteStoreTest, SetValuesWritesEveryValueOrNone) {
  SqliteStore store(path_);
  const std::string one = Dword(1);
  const StoreWrite pair[] = {{kKey, "Flag", ValueType::kDword, one},
                             {kKey, "Date", ValueType::kSz, "2026/12/08"}};
  ASSERT_EQ(store.SetValues(pair), kOk);
  ValueType type;
  std::string data;
  ASSERT_EQ(store.GetValue(kKey, "Date", &type, &data), kOk);
  EXPECT_EQ(data, "2026/12/08");
  EXPECT_EQ(store.SetValues({}), kOk);

  // A malformed path anywhere refuses the whole batch before anything is written.
  const std::string seven = Dword(7);
  const StoreWrite bad[] = {{kKey, "Flag", ValueType::kDword, seven},
                            {"A\\\\B", "x", ValueType::kDword, seven}};
  EXPECT_EQ(store.SetValues(bad), kErrorBadPathname);
  ASSERT_EQ(store.GetValue(kKey, "Flag", &type, &data), kOk);
  EXPECT_EQ(data, Dword(1));

  // Another connection holds the write lock longer than this store waits: nothing of the
  // batch is written.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  SqliteStore impatient(path_, /*busy_timeout_ms=*/20);
  const std::string zero = Dword(0);
  const StoreWrite cleared[] = {{kKey, "Flag", ValueType::kDword, zero},
                                {kKey, "Date", ValueType::kSz, ""}};
  EXPECT_EQ(impatient.SetValues(cleared), kErrorTimeout);
  sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  ASSERT_EQ(store.GetValue(kKey, "Flag", &type, &data), kOk);
  EXPECT_EQ(data, Dword(1));
  ASSERT_EQ(store.GetValue(kKey, "Date", &type, &data), kOk);
  EXPECT_EQ(data, "2026/12/08");
}

TEST_F(SqliteStoreTest, AServiceStoreWaitsForALockHeldElsewhere) {
  { SqliteStore(path_).CreateKey(kKey); }
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  SqliteStore store(path_, kServiceStoreWaitMs);
  std::atomic<bool> writing{false};
  Status status = kErrorInvalidFunction;
  std::thread writer([&] {
    writing = true;
    status = store.SetValue(kKey, "Flag", ValueType::kDword, Dword(3));
  });
  // Released while the write waits (or just before it starts): either way it must arrive.
  // The 20-second lock of the sandbox test shows the length of the wait.
  while (!writing) std::this_thread::yield();
  sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  writer.join();
  EXPECT_EQ(status, kOk);
}

TEST_F(SqliteStoreTest, ForeignDatabaseIsRefusedWithoutChangingAByte) {
  const char* kinds[] = {
      // Another program's database, with and without the version number this store uses.
      "CREATE TABLE t(x); INSERT INTO t VALUES(1);",
      "CREATE TABLE t(x); INSERT INTO t VALUES(1); PRAGMA user_version=1;",
      // Another program's database in WAL mode.
      "PRAGMA journal_mode=WAL; CREATE TABLE t(x); INSERT INTO t VALUES(2);",
      // A newer format of this store.
      "PRAGMA user_version=9;"};
  for (const char* sql : kinds) {
    std::filesystem::remove(path_);
    std::filesystem::remove(path_ + "-wal");
    std::filesystem::remove(path_ + "-shm");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const std::string before = FileBytes(path_);

    SqliteStore store(path_);
    ExpectEveryAccessFails(&store);
    std::string reason;
    EXPECT_EQ(store.CheckUsable(&reason), kErrorRegistryCorrupt) << sql;
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(FileBytes(path_), before) << sql;
  }
}

TEST_F(SqliteStoreTest, CheckUsableNamesTheCauseAndSeesTheRepair) {
  SqliteStore store(path_);
  std::string reason = "stale";
  EXPECT_EQ(store.CheckUsable(&reason), kOk);
  EXPECT_EQ(reason, "");
  ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);

  // The path is a directory.
  const std::string dir_path = dir_ + "/as_dir.db";
  mkdir(dir_path.c_str(), 0755);
  SqliteStore on_dir(dir_path);
  EXPECT_EQ(on_dir.CheckUsable(&reason), kErrorAccessDenied);
  EXPECT_EQ(reason, "the path is a directory");
  rmdir(dir_path.c_str());
  EXPECT_EQ(on_dir.CheckUsable(&reason), kOk);

  // Part of the path is a file.
  WriteFile(dir_ + "/plain", "x");
  SqliteStore through_file(dir_ + "/plain/registry.db");
  EXPECT_EQ(through_file.CheckUsable(&reason), kErrorAccessDenied);
  EXPECT_NE(reason.find("Not a directory"), std::string::npos) << reason;

  // Not an SQLite file at all.
  const std::string junk = dir_ + "/junk.db";
  WriteFile(junk, std::string(4096, 'j'));
  SqliteStore on_junk(junk);
  EXPECT_EQ(on_junk.CheckUsable(&reason), kErrorRegistryCorrupt);
  EXPECT_EQ(reason, "file is not a database");
  EXPECT_EQ(FileBytes(junk), std::string(4096, 'j'));
  std::filesystem::remove(junk);
  EXPECT_EQ(on_junk.CheckUsable(&reason), kOk);

  // Unreadable: file permissions do not stop root, so an unprivileged child looks.
  chmod(path_.c_str(), 0);
  int result = RunInChild(
      [this]() {
        SqliteStore unreadable(path_);
        std::string why;
        return unreadable.CheckUsable(&why) == kErrorAccessDenied && !why.empty() ? 0 : 1;
      },
      /*as_nobody=*/true);
  EXPECT_EQ(result, 0);
}

// A store on a file system mounted read-only (needs root and a tmpfs mount; skipped
// otherwise).
TEST_F(SqliteStoreTest, ReadOnlyFileSystemIsReportedAsNotWritable) {
  const std::string mount_point = dir_ + "/mnt";
  mkdir(mount_point.c_str(), 0755);
  if (geteuid() != 0 || mount("none", mount_point.c_str(), "tmpfs", 0, "size=4m") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here";
  }
  const std::string path = mount_point + "/registry.db";
  {
    SqliteStore store(path);
    ASSERT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  }
  ASSERT_EQ(mount("none", mount_point.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  {
    SqliteStore store(path);
    std::string reason;
    EXPECT_EQ(store.CheckUsable(&reason), kErrorWriteProtect);
    EXPECT_NE(reason.find("Read-only file system"), std::string::npos) << reason;
    EXPECT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(2)), kErrorWriteProtect);
    ASSERT_EQ(mount("none", mount_point.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    // Writable again: taken up by the next check, without a new store object.
    EXPECT_EQ(store.CheckUsable(&reason), kOk);
    EXPECT_EQ(store.SetValue(kKey, "Language", ValueType::kDword, Dword(2)), kOk);
  }
  umount(mount_point.c_str());
}

}  // namespace
}  // namespace quillon
