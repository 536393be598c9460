#include "platform/win32/registry_store.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"

namespace quillon {
namespace {

using std::string_literals::operator""s;

// Each test works below a private key of its own and removes it afterwards.
class RegistryStoreTest : public ::testing::Test {
 protected:
  RegistryStoreTest()
      : base_("SOFTWARE\\QuillonTest\\" + std::to_string(GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()),
        store_(base_) {}
  ~RegistryStoreTest() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, std::wstring(base_.begin(), base_.end()).c_str());
  }

  std::string base_;
  RegistryStore store_;
};

TEST_F(RegistryStoreTest, ValuesOfEveryTypeReadBackByteForByte) {
  const std::string japanese = "\xE3\x83\x95\xE3\x82\xA1\xE3\x83\xB3\0"s;  // "ファン"
  const std::string multi = "a\0\xE6\x97\xA5\0\0"s;
  const std::string dword("\x2A\0\0\0", 4);
  const std::string binary("\x00\xFF\x10", 3);
  ASSERT_EQ(store_.SetValue("LifeTime\\Current", "Text", ValueType::kSz, japanese), kOk);
  ASSERT_EQ(store_.SetValue("LifeTime\\Current", "Multi", ValueType::kMultiSz, multi), kOk);
  ASSERT_EQ(store_.SetValue("LifeTime\\Current", "Count", ValueType::kDword, dword), kOk);
  ASSERT_EQ(store_.SetValue("LifeTime\\Current", "Raw", ValueType::kBinary, binary), kOk);
  ASSERT_EQ(store_.SetValue("LifeTime\\Current", "Empty", ValueType::kSz, "\0"s), kOk);

  ValueType type;
  std::string data;
  ASSERT_EQ(store_.GetValue("lifetime\\CURRENT", "text", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kSz);
  EXPECT_EQ(data, japanese);
  ASSERT_EQ(store_.GetValue("LifeTime\\Current", "Multi", &type, &data), kOk);
  EXPECT_EQ(data, multi);
  ASSERT_EQ(store_.GetValue("LifeTime\\Current", "Count", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kDword);
  EXPECT_EQ(data, dword);
  ASSERT_EQ(store_.GetValue("LifeTime\\Current", "Raw", &type, &data), kOk);
  EXPECT_EQ(data, binary);
  ASSERT_EQ(store_.GetValue("LifeTime\\Current", "Empty", &type, &data), kOk);
  EXPECT_EQ(data, "\0"s);

  // The registry itself holds the text as UTF-16, as other programs (regedit, reg) read it.
  std::wstring path(base_.begin(), base_.end());
  path += L"\\LifeTime\\Current";
  wchar_t raw[8] = {};
  DWORD size = sizeof(raw);
  ASSERT_EQ(
      RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"Text", RRF_RT_REG_SZ, nullptr, raw, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(raw), L"\u30D5\u30A1\u30F3");
}

TEST_F(RegistryStoreTest, MissingAndMalformedGiveTheRegistryNumbers) {
  ValueType type = ValueType::kNone;
  std::string data = "untouched";
  EXPECT_EQ(store_.GetValue("Nowhere", "X", &type, &data), kErrorNotFound);
  ASSERT_EQ(store_.CreateKey("Here"), kOk);
  EXPECT_EQ(store_.GetValue("Here", "X", &type, &data), kErrorNotFound);
  EXPECT_EQ(data, "untouched");
  EXPECT_EQ(store_.DeleteValue("Here", "X"), kErrorNotFound);
  EXPECT_EQ(store_.KeyExists("Nowhere"), kErrorNotFound);
  EXPECT_EQ(store_.DeleteKeyTree("Nowhere"), kErrorNotFound);
  EXPECT_EQ(store_.SetValue("A\\\\B", "X", ValueType::kDword, "1234"), kErrorBadPathname);
  EXPECT_EQ(store_.KeyExists("A\\"), kErrorBadPathname);
  EXPECT_EQ(store_.DeleteKeyTree(""), kErrorAccessDenied);
  EXPECT_EQ(store_.KeyExists("A"), kErrorNotFound);  // nothing was made by the bad write
  EXPECT_EQ(store_.KeyExists(""), kOk);
}

TEST_F(RegistryStoreTest, ListsInCaseFreeNameOrderAndDeletesWholeTrees) {
  ASSERT_EQ(store_.SetValue("K", "b", ValueType::kDword, "1111"), kOk);
  ASSERT_EQ(store_.SetValue("K", "A", ValueType::kDword, "2222"), kOk);
  ASSERT_EQ(store_.SetValue("K", "c", ValueType::kSz, "x\0"s), kOk);
  ASSERT_EQ(store_.CreateKey("K\\zeta"), kOk);
  ASSERT_EQ(store_.SetValue("K\\Alpha\\Deep", "v", ValueType::kDword, "3333"), kOk);

  std::vector<StoreValue> values;
  ASSERT_EQ(store_.ListValues("k", &values), kOk);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, "A");
  EXPECT_EQ(values[1].name, "b");
  EXPECT_EQ(values[2].name, "c");
  EXPECT_EQ(values[2].data, "x\0"s);
  std::vector<std::string> keys;
  ASSERT_EQ(store_.ListSubkeys("K", &keys), kOk);
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "zeta"}));
  EXPECT_EQ(store_.ListSubkeys("Missing", &keys), kErrorNotFound);

  ASSERT_EQ(store_.DeleteKeyTree("K\\ALPHA"), kOk);
  EXPECT_EQ(store_.KeyExists("K\\Alpha\\Deep"), kErrorNotFound);
  EXPECT_EQ(store_.KeyExists("K\\zeta"), kOk);
  ASSERT_EQ(store_.DeleteValue("K", "B"), kOk);
  ASSERT_EQ(store_.ListValues("K", &values), kOk);
  EXPECT_EQ(values.size(), 2u);
}

TEST_F(RegistryStoreTest, FailedMultiWritePutsEarlierValuesBack) {
  ASSERT_EQ(store_.SetValue("K", "Old", ValueType::kDword, "1111"), kOk);
  const std::string too_long = "K\\" + std::string(300, 'x');  // a key name has <= 255
  StoreWrite writes[] = {
      {"K", "Old", ValueType::kDword, "2222"},
      {"K", "New", ValueType::kDword, "3333"},
      {too_long, "V", ValueType::kDword, "4444"},
  };
  EXPECT_NE(store_.SetValues(writes), kOk);
  EXPECT_FALSE(store_.LastError().empty());
  ValueType type;
  std::string data;
  ASSERT_EQ(store_.GetValue("K", "Old", &type, &data), kOk);
  EXPECT_EQ(data, "1111");
  EXPECT_EQ(store_.GetValue("K", "New", &type, &data), kErrorNotFound);

  EXPECT_EQ(store_.SetValues(std::span(writes, 2)), kOk);
  ASSERT_EQ(store_.GetValue("K", "New", &type, &data), kOk);
  EXPECT_EQ(data, "3333");
  EXPECT_EQ(store_.CheckUsable(nullptr), kOk);
  EXPECT_TRUE(store_.LastError().empty());
}

}  // namespace
}  // namespace quillon
