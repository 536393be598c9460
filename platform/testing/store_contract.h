#ifndef QUILLON_PLATFORM_TESTING_STORE_CONTRACT_H_
#define QUILLON_PLATFORM_TESTING_STORE_CONTRACT_H_

// The Store contract (platform/store.h) as one typed GoogleTest suite, so that the real store
// and its test doubles are held to the same behaviour. An implementation is tested by an
// environment type: default-constructible, owning whatever the store needs (a file, a wrapped
// store) and giving it through `Store* store()`, a fresh empty store per test. Instantiate with
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, StoreContractTest, ::testing::Types<Env, ...>);

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "platform/store.h"

namespace quillon {
namespace store_contract {

inline constexpr char kKey[] = "SOFTWARE\\Morvath\\TALVEN";

inline std::string Dword(uint32_t v) {
  std::string bytes(4, '\0');
  std::memcpy(bytes.data(), &v, 4);
  return bytes;
}

inline std::vector<std::string> Names(const std::vector<StoreValue>& values) {
  std::vector<std::string> names;
  for (const StoreValue& v : values) names.push_back(v.name);
  return names;
}

}  // namespace store_contract

template <typename Env>
class StoreContractTest : public ::testing::Test {
 protected:
  Store* store() { return env_.store(); }

  // The value's type and data, or "<status N>" in the data when it cannot be read.
  StoreValue Read(std::string_view key, std::string_view name) {
    StoreValue v;
    const Status status = store()->GetValue(key, name, &v.type, &v.data);
    if (status != kOk) v.data = "<status " + std::to_string(status) + ">";
    return v;
  }
  std::vector<std::string> Subkeys(std::string_view key) {
    std::vector<std::string> names;
    EXPECT_EQ(store()->ListSubkeys(key, &names), kOk) << key;
    return names;
  }

  Env env_;
};

TYPED_TEST_SUITE_P(StoreContractTest);

TYPED_TEST_P(StoreContractTest, ValuesOfEveryTypeRoundTripByteForByte) {
  using store_contract::kKey;
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes.push_back(static_cast<char>(b));
  const std::string qword("\x01\x02\x03\x04\x05\x06\x07\x80", 8);
  const struct {
    const char* name;
    ValueType type;
    std::string data;
  } cases[] = {
      {"Text", ValueType::kSz, std::string("2026/01/02\0\0\0", 13)},
      {"Expand", ValueType::kExpandSz, std::string("%ProgramFiles%\0", 15)},
      {"Binary", ValueType::kBinary, all_bytes},
      {"Dword", ValueType::kDword, store_contract::Dword(0xFFFFFFFEu)},
      {"Multi", ValueType::kMultiSz, std::string("a\0bc\0\0", 6)},
      {"Qword", ValueType::kQword, qword},
      {"None", ValueType::kNone, "raw"},
      {"Empty", ValueType::kBinary, ""},
      {"", ValueType::kSz, std::string("\0", 1)},  // the key's default value
      {"OtherCode", static_cast<ValueType>(0x12345), "x"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(this->store()->SetValue(kKey, c.name, c.type, c.data), kOk) << c.name;
  }
  for (const auto& c : cases) {
    const StoreValue v = this->Read(kKey, c.name);
    EXPECT_EQ(v.type, c.type) << c.name;
    EXPECT_EQ(v.data, c.data) << c.name;
  }
  // The root key holds values like any other.
  ASSERT_EQ(this->store()->SetValue("", "AtRoot", ValueType::kDword, store_contract::Dword(9)),
            kOk);
  EXPECT_EQ(this->Read("", "atroot").data, store_contract::Dword(9));
}

TYPED_TEST_P(StoreContractTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  using store_contract::Dword;
  using store_contract::kKey;
  Store* store = this->store();
  ASSERT_EQ(store->SetValue(kKey, "Language", ValueType::kDword, Dword(1)), kOk);
  ASSERT_EQ(store->SetValue(kKey, "InstallDate", ValueType::kSz, "d"), kOk);
  EXPECT_EQ(this->Read("software\\MORVATH\\talven", "LANGUAGE").data, Dword(1));

  // Another spelling replaces type and data (a DWORD becomes a text) but keeps the name.
  ASSERT_EQ(store->SetValue("Software\\Morvath\\Talven", "LANGUAGE", ValueType::kSz, "x"), kOk);
  const StoreValue v = this->Read(kKey, "language");
  EXPECT_EQ(v.type, ValueType::kSz);
  EXPECT_EQ(v.data, "x");
  std::vector<StoreValue> values;
  ASSERT_EQ(store->ListValues("SOFTWARE\\morvath\\TALVEN", &values), kOk);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[1].name, "Language");
  EXPECT_EQ(values[1].type, ValueType::kSz);
  EXPECT_EQ(values[1].data, "x");

  // Keys keep the spelling they were created with, whatever spelling reaches them later.
  ASSERT_EQ(store->CreateKey("SOFTWARE\\MORVATH\\talven\\LifeTime\\current"), kOk);
  ASSERT_EQ(store->CreateKey("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Current"), kOk);
  EXPECT_EQ(this->Subkeys("software\\morvath\\talven\\lifetime"),
            (std::vector<std::string>{"current"}));
  EXPECT_EQ(this->Subkeys("SOFTWARE"), (std::vector<std::string>{"Morvath"}));

  ASSERT_EQ(store->DeleteValue(kKey, "INSTALLDATE"), kOk);
  EXPECT_EQ(store->DeleteValue(kKey, "InstallDate"), kErrorNotFound);
}

TYPED_TEST_P(StoreContractTest, ListingsAreInNameOrderAndHoldDirectChildrenOnly) {
  using store_contract::Dword;
  Store* store = this->store();
  const char kLimit[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit";
  for (const char* name : {"Kori", "cpu_fan", "Board", "b", "CPU_FAN2"}) {
    ASSERT_EQ(store->SetValue(kLimit, name, ValueType::kDword, Dword(1)), kOk) << name;
  }
  std::vector<StoreValue> values{StoreValue{"stale"}};
  ASSERT_EQ(store->ListValues("software\\morvath\\talven\\lifetime\\limit", &values), kOk);
  EXPECT_EQ(store_contract::Names(values),
            (std::vector<std::string>{"b", "Board", "cpu_fan", "CPU_FAN2", "Kori"}));

  ASSERT_EQ(store->CreateKey("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\current"), kOk);
  ASSERT_EQ(store->CreateKey("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\a_first\\deeper"), kOk);
  std::vector<std::string> names{"stale"};
  ASSERT_EQ(store->ListSubkeys("SOFTWARE\\Morvath\\TALVEN\\LifeTime", &names), kOk);
  EXPECT_EQ(names, (std::vector<std::string>{"a_first", "current", "Limit"}));
  // A key without values or subkeys lists as empty, not as missing.
  values = {StoreValue{"stale"}};
  ASSERT_EQ(store->ListValues("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\current", &values), kOk);
  EXPECT_TRUE(values.empty());
  EXPECT_TRUE(this->Subkeys("SOFTWARE\\Morvath\\TALVEN\\LifeTime\\current").empty());
}

TYPED_TEST_P(StoreContractTest, RootKeyAlwaysExistsAndCannotBeDeleted) {
  Store* store = this->store();
  // On a store nothing was written to yet.
  EXPECT_EQ(store->KeyExists(""), kOk);
  std::vector<StoreValue> values{StoreValue{"stale"}};
  EXPECT_EQ(store->ListValues("", &values), kOk);
  EXPECT_TRUE(values.empty());
  EXPECT_TRUE(this->Subkeys("").empty());

  ASSERT_EQ(store->CreateKey("SOFTWARE\\Morvath"), kOk);
  ASSERT_EQ(store->CreateKey("SYSTEM"), kOk);
  EXPECT_EQ(this->Subkeys(""), (std::vector<std::string>{"SOFTWARE", "SYSTEM"}));
  EXPECT_EQ(store->CreateKey(""), kOk);

  EXPECT_EQ(store->DeleteKeyTree(""), kErrorAccessDenied);
  EXPECT_EQ(store->KeyExists(""), kOk);
  EXPECT_EQ(store->KeyExists("SOFTWARE\\Morvath"), kOk);

  // Emptying the store below the root leaves the root.
  ASSERT_EQ(store->DeleteKeyTree("SOFTWARE"), kOk);
  ASSERT_EQ(store->DeleteKeyTree("system"), kOk);
  EXPECT_EQ(store->KeyExists(""), kOk);
  EXPECT_TRUE(this->Subkeys("").empty());
}

TYPED_TEST_P(StoreContractTest, MissingKeysAndValuesAreNotFoundAndLeaveOutputsAlone) {
  using store_contract::kKey;
  Store* store = this->store();
  ASSERT_EQ(store->SetValue(kKey, "Language", ValueType::kDword, store_contract::Dword(1)), kOk);
  ValueType type = ValueType::kMultiSz;
  std::string data = "preset";
  EXPECT_EQ(store->GetValue(kKey, "Missing", &type, &data), kErrorNotFound);
  EXPECT_EQ(store->GetValue("SOFTWARE\\Nobody", "Language", &type, &data), kErrorNotFound);
  // A parent of the key is not the key.
  EXPECT_EQ(store->GetValue("SOFTWARE\\Morvath", "Language", &type, &data), kErrorNotFound);
  EXPECT_EQ(type, ValueType::kMultiSz);
  EXPECT_EQ(data, "preset");
  EXPECT_EQ(store->DeleteValue(kKey, "Missing"), kErrorNotFound);
  EXPECT_EQ(store->DeleteValue("SOFTWARE\\Nobody", "Language"), kErrorNotFound);
  EXPECT_EQ(store->KeyExists("SOFTWARE\\Nobody"), kErrorNotFound);
  EXPECT_EQ(store->KeyExists("SOFTWARE\\Morvath\\TALVEN\\Language"), kErrorNotFound);
  EXPECT_EQ(store->DeleteKeyTree("SOFTWARE\\Nobody"), kErrorNotFound);
  std::vector<StoreValue> values{StoreValue{}};
  EXPECT_EQ(store->ListValues("SOFTWARE\\Nobody", &values), kErrorNotFound);
  EXPECT_EQ(values.size(), 1u);
  std::vector<std::string> names{"kept"};
  EXPECT_EQ(store->ListSubkeys("SOFTWARE\\Nobody", &names), kErrorNotFound);
  EXPECT_EQ(names, (std::vector<std::string>{"kept"}));

  // A key outlives its last value; its parents were made by the write.
  ASSERT_EQ(store->DeleteValue(kKey, "LANGUAGE"), kOk);
  EXPECT_EQ(store->GetValue(kKey, "Language", &type, &data), kErrorNotFound);
  for (const char* key : {"SOFTWARE", "SOFTWARE\\Morvath", kKey}) {
    EXPECT_EQ(store->KeyExists(key), kOk) << key;
  }
}

TYPED_TEST_P(StoreContractTest, MalformedKeyPathsAreRefusedByEveryOperation) {
  using store_contract::Dword;
  Store* store = this->store();
  const std::string one = Dword(1);
  for (const char* key : {"A\\\\B", "\\SOFTWARE", "SOFTWARE\\", "SOFTWARE\\\\Morvath", "\\"}) {
    ValueType type = ValueType::kNone;
    std::string data = "untouched";
    std::vector<StoreValue> values;
    std::vector<std::string> names;
    const StoreWrite write[] = {{key, "x", ValueType::kDword, one}};
    EXPECT_EQ(store->SetValue(key, "x", ValueType::kDword, one), kErrorBadPathname) << key;
    EXPECT_EQ(store->SetValues(write), kErrorBadPathname) << key;
    EXPECT_EQ(store->GetValue(key, "x", &type, &data), kErrorBadPathname) << key;
    EXPECT_EQ(data, "untouched");
    EXPECT_EQ(store->DeleteValue(key, "x"), kErrorBadPathname) << key;
    EXPECT_EQ(store->CreateKey(key), kErrorBadPathname) << key;
    EXPECT_EQ(store->KeyExists(key), kErrorBadPathname) << key;
    EXPECT_EQ(store->DeleteKeyTree(key), kErrorBadPathname) << key;
    EXPECT_EQ(store->ListValues(key, &values), kErrorBadPathname) << key;
    EXPECT_EQ(store->ListSubkeys(key, &names), kErrorBadPathname) << key;
  }
  // Nothing was made on the way.
  EXPECT_TRUE(this->Subkeys("").empty());
}

TYPED_TEST_P(StoreContractTest, DeleteKeyTreeRemovesTheSubtreeOnly) {
  Store* store = this->store();
  // Siblings whose names begin with the deleted key's name, or sort right after it, stay.
  const char* keys[] = {"SOFTWARE\\M\\Ta",     "SOFTWARE\\M\\Ta\\X", "SOFTWARE\\M\\Ta\\X\\Y",
                        "SOFTWARE\\M\\Talven", "SOFTWARE\\M\\Ta]",   "SOFTWARE\\M\\Ta_b",
                        "SOFTWARE\\M\\TA0",    "SOFTWARE\\M\\Tb\\Ta"};
  for (const char* key : keys) {
    ASSERT_EQ(store->SetValue(key, "v", ValueType::kDword, store_contract::Dword(7)), kOk) << key;
  }
  ASSERT_EQ(store->DeleteKeyTree("software\\m\\TA"), kOk);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(store->KeyExists(keys[i]), kErrorNotFound) << keys[i];
    EXPECT_EQ(this->Read(keys[i], "v").data, "<status 2>") << keys[i];
  }
  for (int i = 3; i < 8; ++i) {
    EXPECT_EQ(this->Read(keys[i], "v").data, store_contract::Dword(7)) << keys[i];
  }
  EXPECT_EQ(store->DeleteKeyTree("SOFTWARE\\M\\Ta"), kErrorNotFound);
  // Recreating the key starts empty.
  ASSERT_EQ(store->CreateKey("SOFTWARE\\M\\Ta"), kOk);
  EXPECT_TRUE(this->Subkeys("SOFTWARE\\M\\Ta").empty());
  std::vector<StoreValue> values;
  ASSERT_EQ(store->ListValues("SOFTWARE\\M\\Ta", &values), kOk);
  EXPECT_TRUE(values.empty());
}

TYPED_TEST_P(StoreContractTest, SetValuesWritesEveryValueInOrderOrNone) {
  using store_contract::Dword;
  using store_contract::kKey;
  Store* store = this->store();
  const std::string one = Dword(1);
  const std::string two = Dword(2);
  const StoreWrite batch[] = {{kKey, "Flag", ValueType::kDword, one},
                              {"SOFTWARE\\Other", "Date", ValueType::kSz, "2026/12/08"},
                              {kKey, "FLAG", ValueType::kDword, two}};
  ASSERT_EQ(store->SetValues(batch), kOk);
  EXPECT_EQ(this->Read(kKey, "Flag").data, two);  // the later write of the same value wins
  EXPECT_EQ(this->Read("SOFTWARE\\Other", "Date").data, "2026/12/08");
  EXPECT_EQ(store->SetValues({}), kOk);

  // A malformed path anywhere in the batch refuses all of it, also the writes before it.
  const std::string seven = Dword(7);
  const StoreWrite bad[] = {{kKey, "Flag", ValueType::kDword, seven},
                            {"SOFTWARE\\New", "x", ValueType::kDword, seven},
                            {"A\\\\B", "x", ValueType::kDword, seven}};
  EXPECT_EQ(store->SetValues(bad), kErrorBadPathname);
  EXPECT_EQ(this->Read(kKey, "Flag").data, two);
  EXPECT_EQ(store->KeyExists("SOFTWARE\\New"), kErrorNotFound);
}

TYPED_TEST_P(StoreContractTest, AHealthyStoreIsUsable) {
  std::string reason = "stale";
  EXPECT_EQ(this->store()->CheckUsable(&reason), kOk);
  EXPECT_EQ(reason, "");
  EXPECT_EQ(this->store()->CheckUsable(nullptr), kOk);
}

TYPED_TEST_P(StoreContractTest, ThreadsShareOneStore) {
  constexpr int kThreads = 4;
  constexpr int kValues = 20;
  Store* store = this->store();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([store, t] {
      const std::string key = "SOFTWARE\\Threads\\T" + std::to_string(t);
      for (int i = 0; i < kValues; ++i) {
        store->SetValue(key, "V" + std::to_string(i), ValueType::kDword,
                        store_contract::Dword(static_cast<uint32_t>(i)));
        std::vector<StoreValue> values;
        store->ListValues(key, &values);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(this->Subkeys("SOFTWARE\\Threads").size(), static_cast<size_t>(kThreads));
  for (int t = 0; t < kThreads; ++t) {
    std::vector<StoreValue> values;
    ASSERT_EQ(store->ListValues("SOFTWARE\\Threads\\T" + std::to_string(t), &values), kOk);
    EXPECT_EQ(values.size(), static_cast<size_t>(kValues)) << t;
  }
}

REGISTER_TYPED_TEST_SUITE_P(
    StoreContractTest, ValuesOfEveryTypeRoundTripByteForByte,
    NamesMatchWithoutCaseAndKeepTheirFirstSpelling, ListingsAreInNameOrderAndHoldDirectChildrenOnly,
    RootKeyAlwaysExistsAndCannotBeDeleted, MissingKeysAndValuesAreNotFoundAndLeaveOutputsAlone,
    MalformedKeyPathsAreRefusedByEveryOperation, DeleteKeyTreeRemovesTheSubtreeOnly,
    SetValuesWritesEveryValueInOrderOrNone, AHealthyStoreIsUsable, ThreadsShareOneStore);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TESTING_STORE_CONTRACT_H_
