#include "tools/reg/reg_command.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/memory_store.h"
#include "platform/platform.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kTalven[] = "SOFTWARE\\Morvath\\TALVEN";

class RegCommandTest : public ::testing::Test {
 protected:
  // Runs one command line; the outputs land in out_ and err_.
  int Run(std::vector<std::string> args, Store* store = nullptr) {
    out_.str("");
    err_.str("");
    return RunRegCommand(store ? store : &store_, args, out_, err_, options_);
  }

  // The command failed with exactly one "ERROR:" line on the error stream.
  void ExpectOneLineError(int result, const std::string& part) {
    EXPECT_EQ(result, 1);
    const std::string err = err_.str();
    EXPECT_THAT(err, StartsWith("ERROR: "));
    EXPECT_THAT(err, HasSubstr(part));
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  }

  std::string Bytes(std::string_view key, std::string_view name) {
    ValueType type;
    std::string data;
    return store_.GetValue(key, name, &type, &data) == kOk ? data : "<missing>";
  }

  MemoryStore store_;
  RegOptions options_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(RegCommandTest, AddStoresEachTypeAsTheRegistryDoes) {
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\Morvath\\TALVEN", "/v", "LimitCheckTimer", "/t",
                 "REG_DWORD", "/d", "60"}),
            0);
  EXPECT_EQ(out_.str(), "The operation completed successfully.\n");
  EXPECT_EQ(store_.GetDword(kTalven, "LimitCheckTimer"), 60u);
  // Root, verb, options and type names without regard to case; '-' like '/'.
  EXPECT_EQ(Run({"ADD", "hkey_local_machine\\SOFTWARE\\Morvath\\TALVEN", "-V", "ModelType", "/T",
                 "reg_dword", "/D", "0xFFFFFFFF"}),
            0);
  EXPECT_EQ(store_.GetDword(kTalven, "ModelType"), 0xFFFFFFFFu);
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\Morvath\\TALVEN", "/v", "InstallDate", "/d",
                 "2026/12/08 10:00:00"}),
            0);
  EXPECT_EQ(Bytes(kTalven, "InstallDate"), std::string("2026/12/08 10:00:00\0", 20));
  EXPECT_EQ(store_.GetDword(kTalven, "ModelType", 7), 0xFFFFFFFFu);
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\X", "/v", "E", "/t", "REG_EXPAND_SZ", "/d", "%A%"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\X", "E"), std::string("%A%\0", 4));
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\X", "/v", "M", "/t", "REG_MULTI_SZ", "/d", "a\\0bc"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\X", "M"), std::string("a\0bc\0\0", 6));
  EXPECT_EQ(
      Run({"add", "HKLM\\SOFTWARE\\X", "/v", "M2", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "a,b,"}),
      0);
  EXPECT_EQ(Bytes("SOFTWARE\\X", "M2"), std::string("a\0b\0\0", 5));
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\X", "/v", "B", "/t", "REG_BINARY", "/d", "00ff10"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\X", "B"), std::string("\0\xff\x10", 3));
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\X", "/ve", "/d", "default"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\X", ""), std::string("default\0", 8));
  // A DWORD without /d is 0; a key alone is created empty.
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\X", "/v", "Zero", "/t", "REG_DWORD"}), 0);
  EXPECT_EQ(store_.GetDword("SOFTWARE\\X", "Zero", 7), 0u);
  EXPECT_EQ(Run({"add", "HKLM\\SOFTWARE\\Empty\\Key\\"}), 0);
  EXPECT_EQ(store_.KeyExists("SOFTWARE\\Empty\\Key"), kOk);
}

TEST_F(RegCommandTest, BadCommandLinesGiveOneErrorLineAndChangeNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "Invalid syntax"},
      {{"frob", "HKLM\\SOFTWARE"}, "Invalid operation \"frob\""},
      {{"query"}, "needs a key"},
      {{"query", "HKCU\\SOFTWARE"}, "Invalid key name"},
      {{"query", "SOFTWARE\\Morvath"}, "Invalid key name"},
      {{"add", "HKLM\\SOFTWARE\\\\X", "/v", "a"}, "Invalid key name"},
      {{"add", "HKLM", "/v", "a"}, "Invalid key name"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_WORD"}, "Invalid type \"REG_WORD\""},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_DWORD", "/d", "abc"}, "for REG_DWORD"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_DWORD", "/d", "-1"}, "for REG_DWORD"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"}, "for REG_DWORD"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_DWORD", "/d", "0x100000000"}, "for REG_DWORD"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_DWORD", "/d", "0x"}, "for REG_DWORD"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_DWORD", "/d", ""}, "for REG_DWORD"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}, "empty string"},
      {{"add", "HKLM\\S", "/v", "a", "/t", "REG_BINARY", "/d", "abc"}, "hex digits"},
      {{"add", "HKLM\\S", "/v", "a", "/s", ","}, "REG_MULTI_SZ"},
      {{"add", "HKLM\\S", "/v"}, "/v needs a value"},
      {{"add", "HKLM\\S", "/v", "a", "/ve"}, "exclude each other"},
      {{"add", "HKLM\\S", "/v", "a", "/v", "b"}, "given twice"},
      {{"add", "HKLM\\S", "/x"}, "Invalid option \"/x\""},
      {{"query", "HKLM\\S", "extra"}, "unexpected \"extra\""},
      {{"delete", "HKLM", "/f"}, "root key"},
      {{"delete", "HKLM\\S", "/va", "/v", "x", "/f"}, "exclude each other"},
      {{"export", "HKLM\\S"}, "one file name"},
  };
  for (const auto& [args, part] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    ExpectOneLineError(Run(args), part);
    EXPECT_EQ(out_.str(), "");
  }
  EXPECT_EQ(store_.write_count(), 0);
  EXPECT_EQ(store_.KeyExists("S"), kErrorNotFound);
}

TEST_F(RegCommandTest, QueryShowsTheKeyLikeReg) {
  store_.SetDword(kTalven, "LimitCheckTimer", 60);
  store_.SetText(kTalven, "AverageTime", "12.5");
  store_.SetValue(kTalven, "", ValueType::kSz, std::string("dflt\0junk", 9));
  store_.SetValue(kTalven, "Multi", ValueType::kMultiSz, std::string("a\0b\0\0", 5));
  store_.SetValue(kTalven, "Raw", ValueType::kBinary, std::string("\x01\xab", 2));
  store_.SetDword("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit", "CPU_FAN", 26280);
  store_.CreateKey("SOFTWARE\\Morvath\\TALVEN\\Zeta");

  ASSERT_EQ(Run({"query", "HKLM\\SOFTWARE\\Morvath\\TALVEN"}), 0);
  EXPECT_EQ(out_.str(),
            "\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\n"
            "    (Default)    REG_SZ    dflt\n"
            "    AverageTime    REG_SZ    12.5\n"
            "    LimitCheckTimer    REG_DWORD    0x3c\n"
            "    Multi    REG_MULTI_SZ    a\\0b\n"
            "    Raw    REG_BINARY    01AB\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\LifeTime\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\Zeta\n");
  EXPECT_EQ(err_.str(), "");

  ASSERT_EQ(Run({"query", "HKLM\\SOFTWARE\\Morvath\\TALVEN", "/v", "limitchecktimer"}), 0);
  EXPECT_EQ(out_.str(),
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\n"
            "    limitchecktimer    REG_DWORD    0x3c\n\n");
  ASSERT_EQ(Run({"query", "HKLM\\SOFTWARE\\Morvath\\TALVEN", "/ve"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("    (Default)    REG_SZ    dflt\n"));

  ASSERT_EQ(Run({"query", "HKLM\\SOFTWARE\\Morvath\\TALVEN\\LifeTime", "/s"}), 0);
  EXPECT_EQ(out_.str(),
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\LifeTime\n"
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit\n"
            "    CPU_FAN    REG_DWORD    0x66a8\n");

  ASSERT_EQ(Run({"query", "HKLM\\SOFTWARE", "/v", "CPU_FAN", "/s"}), 0);
  EXPECT_EQ(out_.str(),
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit\n"
            "    CPU_FAN    REG_DWORD    0x66a8\n"
            "\nEnd of search: 1 match(es) found.\n");

  ExpectOneLineError(Run({"query", "HKLM\\SOFTWARE\\Morvath\\TALVEN", "/v", "Missing"}),
                     "unable to find the specified registry key or value");
  ExpectOneLineError(Run({"query", "HKLM\\SOFTWARE\\Nothing"}), "unable to find");
  ExpectOneLineError(Run({"query", "HKLM\\SOFTWARE", "/v", "Missing", "/s"}), "unable to find");
}

TEST_F(RegCommandTest, OverwriteAsksOnlyWithATerminalAndWithoutF) {
  store_.SetDword(kTalven, "Language", 0);
  // No terminal: the command line says what to store.
  EXPECT_EQ(
      Run({"add", "HKLM\\" + std::string(kTalven), "/v", "Language", "/t", "REG_DWORD", "/d", "1"}),
      0);
  EXPECT_EQ(store_.GetDword(kTalven, "Language"), 1u);

  std::istringstream answers("maybe\nno\nYes\n");
  options_.interactive = true;
  options_.in = &answers;
  ExpectOneLineError(
      Run({"add", "HKLM\\" + std::string(kTalven), "/v", "Language", "/t", "REG_DWORD", "/d", "2"}),
      "cancelled");
  EXPECT_EQ(store_.GetDword(kTalven, "Language"), 1u);
  EXPECT_EQ(
      Run({"add", "HKLM\\" + std::string(kTalven), "/v", "Language", "/t", "REG_DWORD", "/d", "3"}),
      0);
  EXPECT_EQ(out_.str(),
            "Value Language exists, overwrite(Yes/No)? "
            "The operation completed successfully.\n");
  EXPECT_EQ(store_.GetDword(kTalven, "Language"), 3u);
  // /f never asks (the answers are used up, so a question would cancel).
  EXPECT_EQ(Run({"add", "HKLM\\" + std::string(kTalven), "/v", "Language", "/t", "REG_DWORD", "/d",
                 "4", "/f"}),
            0);
  EXPECT_EQ(store_.GetDword(kTalven, "Language"), 4u);
}

TEST_F(RegCommandTest, DeleteValuesAndKeys) {
  const std::string key = "HKLM\\" + std::string(kTalven);
  store_.SetDword(kTalven, "A", 1);
  store_.SetDword(kTalven, "B", 2);
  store_.SetText(kTalven, "", "default");
  store_.SetDword("SOFTWARE\\Morvath\\TALVEN\\Sub", "C", 3);

  // Without a terminal, only /f deletes.
  ExpectOneLineError(Run({"delete", key, "/v", "A"}), "needs /f");
  EXPECT_TRUE(store_.HasValue(kTalven, "A"));
  EXPECT_EQ(Run({"delete", key, "/v", "a", "/f"}), 0);
  EXPECT_FALSE(store_.HasValue(kTalven, "A"));
  ExpectOneLineError(Run({"delete", key, "/v", "A", "/f"}), "unable to find");
  EXPECT_EQ(Run({"delete", key, "/ve", "/f"}), 0);
  EXPECT_FALSE(store_.HasValue(kTalven, ""));

  std::istringstream answers("n\ny\n");
  options_.interactive = true;
  options_.in = &answers;
  ExpectOneLineError(Run({"delete", key, "/va"}), "cancelled");
  EXPECT_TRUE(store_.HasValue(kTalven, "B"));
  EXPECT_EQ(Run({"delete", key, "/va"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("Delete all values under the registry key "
                                    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN (Yes/No)? "));
  EXPECT_FALSE(store_.HasValue(kTalven, "B"));
  EXPECT_TRUE(store_.HasValue("SOFTWARE\\Morvath\\TALVEN\\Sub", "C"));  // subkeys stay

  EXPECT_EQ(Run({"delete", "HKLM\\software\\morvath", "/f"}), 0);
  EXPECT_EQ(store_.KeyExists("SOFTWARE\\Morvath"), kErrorNotFound);
  EXPECT_EQ(store_.KeyExists("SOFTWARE"), kOk);
  ExpectOneLineError(Run({"delete", "HKLM\\SOFTWARE\\Morvath", "/f"}), "unable to find");
}

class RegExportTest : public RegCommandTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  TempDir temp_{"quillon-reg-"};
  std::string dir_;
};

TEST_F(RegExportTest, ExportWritesTheRegFileFormat) {
  store_.SetDword(kTalven, "LimitCheckTimer", 60);
  store_.SetValue(kTalven, "InstallDate", ValueType::kSz,
                  std::string("2026/12/08\0\0\0\0\0\0", 16));  // fixed buffer: still a string
  store_.SetText(kTalven, "Path", "C:\\x \"y\"");
  store_.SetText(kTalven, "", "d");
  store_.SetValue(kTalven, "Broken", ValueType::kSz, std::string("no zero", 7));
  store_.SetValue(kTalven, "Exp", ValueType::kExpandSz, std::string("%A%\0", 4));
  store_.SetValue(kTalven, "Multi", ValueType::kMultiSz, std::string("a\0b\0\0", 5));
  store_.SetValue(kTalven, "Long", ValueType::kBinary, std::string(30, '\x11'));
  store_.SetDword("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit", "CPU_FAN", 26280);

  const std::string file = dir_ + "/talven.reg";
  ASSERT_EQ(Run({"export", "HKLM\\SOFTWARE\\Morvath\\TALVEN", file}), 0);
  EXPECT_EQ(out_.str(), "The operation completed successfully.\n");
  EXPECT_EQ(Read(file),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN]\n"
            "@=\"d\"\n"
            "\"Broken\"=hex(1):6e,6f,20,7a,65,72,6f\n"
            "\"Exp\"=hex(2):25,41,25,00\n"
            "\"InstallDate\"=\"2026/12/08\"\n"
            "\"LimitCheckTimer\"=dword:0000003c\n"
            "\"Long\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\n"
            "  11,11,11,11,11,11,11,11\n"
            "\"Multi\"=hex(7):61,00,62,00,00\n"
            "\"Path\"=\"C:\\\\x \\\"y\\\"\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\LifeTime]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit]\n"
            "\"CPU_FAN\"=dword:000066a8\n"
            "\n");

  // An existing file is replaced only with /y (or a yes at a terminal).
  std::ofstream(file) << "keep";
  ExpectOneLineError(Run({"export", "HKLM\\SOFTWARE\\Morvath\\TALVEN\\LifeTime", file}),
                     "already exists");
  EXPECT_EQ(Read(file), "keep");
  ASSERT_EQ(Run({"export", "HKLM\\SOFTWARE\\Morvath\\TALVEN\\LifeTime", file, "/y"}), 0);
  EXPECT_THAT(Read(file), StartsWith("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_"));

  ExpectOneLineError(Run({"export", "HKLM\\SOFTWARE\\Nothing", dir_ + "/n.reg"}), "unable to find");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/n.reg"));
  ExpectOneLineError(Run({"export", "HKLM\\SOFTWARE", dir_ + "/no/such/dir.reg"}),
                     "Cannot write the file");
}

TEST_F(RegExportTest, QwordIsStoredShownAndExportedAsRegDoes) {
  const std::string key = "HKLM\\SOFTWARE\\Q";
  ASSERT_EQ(Run({"add", key, "/v", "Max", "/t", "REG_QWORD", "/d", "18446744073709551615"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\Q", "Max"), std::string(8, '\xff'));
  ASSERT_EQ(Run({"add", key, "/v", "Big", "/t", "reg_qword", "/d", "0x100000000"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\Q", "Big"), std::string("\0\0\0\0\x01\0\0\0", 8));
  ASSERT_EQ(Run({"add", key, "/v", "Zero", "/t", "REG_QWORD"}), 0);
  EXPECT_EQ(Bytes("SOFTWARE\\Q", "Zero"), std::string(8, '\0'));
  for (const char* data : {"18446744073709551616", "0x10000000000000000", "-1", "1e3", ""}) {
    ExpectOneLineError(Run({"add", key, "/v", "Max", "/t", "REG_QWORD", "/d", data}),
                       "from 0 to 18446744073709551615");
  }
  EXPECT_EQ(Bytes("SOFTWARE\\Q", "Max"), std::string(8, '\xff'));

  ASSERT_EQ(Run({"query", key}), 0);
  EXPECT_EQ(out_.str(),
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Q\n"
            "    Big    REG_QWORD    0x100000000\n"
            "    Max    REG_QWORD    0xffffffffffffffff\n"
            "    Zero    REG_QWORD    0x0\n");
  const std::string file = dir_ + "/q.reg";
  ASSERT_EQ(Run({"export", key, file}), 0);
  EXPECT_EQ(Read(file),
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\n"
            "\"Big\"=hex(b):00,00,00,00,01,00,00,00\n"
            "\"Max\"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff\n"
            "\"Zero\"=hex(b):00,00,00,00,00,00,00,00\n\n");
}

TEST_F(RegExportTest, StoreFailuresNameTheStoreAndTheCause) {
  FailingStore failing(&store_);
  failing.FailAll(kErrorRegistryIo);
  options_.store_name = "/var/lib/quillon/registry.db";
  options_.failure_detail = [] { return std::string("disk I/O error"); };
  ExpectOneLineError(Run({"query", "HKLM\\SOFTWARE"}, &failing),
                     "ERROR: The settings store /var/lib/quillon/registry.db is not readable: "
                     "disk I/O error");
  failing.FailOn("set", "", kErrorAccessDenied);
  ExpectOneLineError(Run({"add", "HKLM\\SOFTWARE", "/v", "x", "/d", "1", "/f"}, &failing),
                     "is not writable: disk I/O error");
  options_.failure_detail = nullptr;
  ExpectOneLineError(Run({"add", "HKLM\\SOFTWARE", "/v", "x", "/d", "1", "/f"}, &failing),
                     "is not writable: status 5");

  // The real store on a file that is not a database.
  const std::string path = dir_ + "/registry.db";
  std::ofstream(path, std::ios::binary) << std::string(2048, '\x7f');
  auto sqlite = NewStore(path);
  options_.store_name = path;
  options_.failure_detail = [&sqlite] { return sqlite->LastError(); };
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"query", "HKLM\\SOFTWARE"},
                                             {"add", "HKLM\\SOFTWARE", "/v", "x", "/f"},
                                             {"delete", "HKLM\\SOFTWARE", "/f"},
                                             {"export", "HKLM\\SOFTWARE", dir_ + "/x.reg"}}) {
    ExpectOneLineError(Run(args, sqlite.get()),
                       "The settings store " + path + " is not readable: file is not a database");
  }
}

TEST_F(RegExportTest, WorksOnTheRealStoreFromTheRootDown) {
  auto sqlite = NewStore(dir_ + "/registry.db");
  ASSERT_EQ(Run({"add", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN", "/v", "Language", "/t",
                 "REG_DWORD", "/d", "1"},
                sqlite.get()),
            0);
  ASSERT_EQ(Run({"query", "hklm", "/s"}, sqlite.get()), 0);
  EXPECT_EQ(out_.str(),
            "\nHKEY_LOCAL_MACHINE\n"
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\n"
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\n"
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Morvath\\TALVEN\n"
            "    Language    REG_DWORD    0x1\n");
  ASSERT_EQ(Run({"export", "HKLM", "-"}, sqlite.get()), 0);
  EXPECT_THAT(out_.str(), HasSubstr("[HKEY_LOCAL_MACHINE]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"));
  ASSERT_EQ(Run({"delete", "HKLM\\software", "/f"}, sqlite.get()), 0);
  EXPECT_EQ(sqlite->KeyExists("SOFTWARE\\Morvath\\TALVEN"), kErrorNotFound);
}

TEST_F(RegCommandTest, UsageOnRequest) {
  EXPECT_EQ(Run({"/?"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("quillon-reg query  KEY [/v NAME | /ve] [/s]"));
  EXPECT_EQ(Run({"add", "/?"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("QUILLON_REGISTRY"));
}

}  // namespace
}  // namespace quillon
