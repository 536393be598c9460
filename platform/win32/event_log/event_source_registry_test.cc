// The service's install command registers its event source through the settings store, which
// on Windows is the registry below HKEY_LOCAL_MACHINE: the keys the event log reads are
// written there with the types it expects, read back here with the registry's own calls.
#include <windows.h>

#include <string>

#include "common/log/event_report.h"
#include "gtest/gtest.h"
#include "platform/fakes/fake_clock.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

const wchar_t kSystemKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\System";

// One value of HKEY_LOCAL_MACHINE\`key` as stored: its type and its bytes.
bool Query(const std::wstring& key, const wchar_t* name, DWORD* type, std::wstring* data) {
  BYTE buffer[8192];
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, buffer,
                   &size) != ERROR_SUCCESS) {
    return false;
  }
  data->assign(reinterpret_cast<wchar_t*>(buffer), size / sizeof(wchar_t));
  return true;
}

// Counts `name` among the names of a multi-string.
int Occurrences(const std::wstring& list, const std::wstring& name) {
  int count = 0;
  for (size_t pos = 0; pos < list.size();) {
    size_t end = list.find(L'\0', pos);
    if (end == std::wstring::npos) end = list.size();
    if (list.compare(pos, end - pos, name) == 0) ++count;
    pos = end + 1;
  }
  return count;
}

TEST(EventSourceRegistryTest, InstallWritesTheEventLogsKeys) {
  // A source of this test's own, so that the prefix's other sources stay as they are.
  const std::string source = "QUILLON_TEST_" + std::to_string(GetCurrentProcessId());
  const std::wstring source_key = std::wstring(kSystemKey) + L"\\" + Widen(source);
  DWORD type = 0;
  std::wstring before;
  const bool had_sources = Query(kSystemKey, L"Sources", &type, &before);

  std::unique_ptr<Store> store = NewStore("");  // the registry as the installed system uses it
  std::unique_ptr<SystemInfo> system = NewSystemInfo();
  FakeClock clock;
  ASSERT_EQ(RegisterLogSource(store.get(), system.get(), &clock, source.c_str()), kOk);
  ASSERT_EQ(RegisterLogSource(store.get(), system.get(), &clock, source.c_str()), kOk);

  std::wstring data;
  ASSERT_TRUE(Query(source_key, L"TypesSupported", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(*reinterpret_cast<const DWORD*>(data.data()), 7u);
  ASSERT_TRUE(Query(source_key, L"EventMessageFile", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  wchar_t program[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(data, std::wstring(program, n) + L'\0');
  ASSERT_TRUE(Query(kSystemKey, L"Sources", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(Occurrences(data, Widen(source)), 1);

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, source_key.c_str());
  HKEY system_key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSystemKey, 0, KEY_SET_VALUE, &system_key),
            ERROR_SUCCESS);
  if (had_sources) {
    RegSetValueExW(system_key, L"Sources", 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(before.data()),
                   static_cast<DWORD>(before.size() * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(system_key, L"Sources");
  }
  RegCloseKey(system_key);
}

}  // namespace
}  // namespace quillon
