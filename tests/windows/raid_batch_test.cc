// RdQueryH.bat under cmd, started the way the service starts it: the report it writes from
// StorCLI or MegaCLI output carries the markers the RAID discovery scans for, and its exit
// codes say "no RAID manager" (1) and "the tool failed" (2) as RdQueryH.sh does.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "service/raid_discovery.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

constexpr char kStorcliOutput[] =
    "CLI Version = 007.0000.0000.0000\n"
    "Controller = 0\nStatus = Success\nBasics :\nController = 0\nModel = RAID 9361-8i\n"
    "HwCfg :\nBBU = Present\n"
    "Controller = 1\nBasics :\nController = 1\nModel = MegaRAID SAS 8408E\nBBU = Present\n"
    "Controller = 2\nBasics :\nController = 2\nModel = RAID 9240-4i\nBBU = Absent\n"
    "Controller = 3\nBasics :\n   Controller = 3\n\tModel = RAID 9460-16i & <x> 100!\n"
    "BBU = Present\n";

constexpr char kMegaCliOutput[] =
    "Adapter #0\nProduct Name    : PERC 6/i Integrated\nBBU              : Present\n"
    "Adapter #1\nProduct Name    : SAS 6/iR\nBBU              : Absent\n";

std::string OwnDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string dir = Narrow(std::wstring_view(path, n));
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string Windows(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class RaidBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = Windows(dir_.File("bin")) + "\\";
    tools_ = Windows(dir_.File("tools"));
    std::filesystem::create_directories(std::filesystem::u8path(bin_));
    std::filesystem::create_directories(std::filesystem::u8path(tools_));
    std::filesystem::copy_file(std::filesystem::u8path(OwnDirectory() + "RdQueryH.bat"),
                               std::filesystem::u8path(bin_ + "RdQueryH.bat"));
    wchar_t path[32768];
    const DWORD n = GetEnvironmentVariableW(L"PATH", path, 32768);
    old_path_.assign(path, n < 32768 ? n : 0);
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"PATH", old_path_.c_str());
    SetEnvironmentVariableW(L"STUB_EXIT", nullptr);
  }

  // A stand-in for the RAID tool `name` that prints `output` and ends with %STUB_EXIT%.
  void InstallTool(const std::string& name, const std::string& output) {
    std::ofstream(std::filesystem::u8path(tools_ + "\\stub.txt"), std::ios::binary) << output;
    std::ofstream(std::filesystem::u8path(tools_ + "\\" + name + ".cmd"), std::ios::binary)
        << "@type \"%~dp0stub.txt\"\r\n@exit /b %STUB_EXIT%\r\n";
  }
  // PATH holds the system folders and, when `with_tools`, the stand-ins' folder first.
  void SetPath(bool with_tools) {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    std::wstring path(system, n);
    if (with_tools) path = Widen(tools_) + L";" + path;
    SetEnvironmentVariableW(L"PATH", path.c_str());
  }
  // Runs the batch as the service does: its quoted path alone, in the program directory.
  uint32_t RunBatch() {
    uint32_t code = 99;
    EXPECT_EQ(NewProcessLauncher()->Run("\"" + bin_ + "RdQueryH.bat\"", bin_, &code), kOk);
    return code;
  }
  std::string Report() { return ReadAll(bin_ + kRaidReportFile); }

  TempDir dir_;
  std::string bin_;
  std::string tools_;
  std::wstring old_path_;
};

TEST_F(RaidBatchTest, StorCliReportCarriesTheMarkersTheDiscoveryScans) {
  InstallTool("storcli64", kStorcliOutput);
  SetPath(true);
  ASSERT_EQ(RunBatch(), 0u);
  EXPECT_EQ(Report(),
            "Adapter number: 0\r\nProduct: RAID 9361-8i\r\nBattery: BBU present\r\n"
            "Adapter number: 1\r\nProduct: MegaRAID SAS 8408E\r\nBattery: BBU present\r\n"
            "Adapter number: 2\r\nProduct: RAID 9240-4i\r\n"
            "Adapter number: 3\r\nProduct: RAID 9460-16i & <x> 100!\r\n"
            "Battery: BBU present\r\n");

  std::FILE* file = _wfopen(Widen(bin_ + kRaidReportFile).c_str(), L"r");
  ASSERT_NE(file, nullptr);
  RaidReportScan scan;
  std::vector<std::string> products;
  ScanRaidReport(file, &scan, [&products](const RaidReportLine& line) {
    if (line.kind == RaidReportLine::kBattery) products.push_back(line.product);
  });
  std::fclose(file);
  EXPECT_EQ(scan.controllers(), 4);
  EXPECT_EQ(scan.batteries(), 3);
  EXPECT_EQ(products,
            (std::vector<std::string>{"Product: RAID 9361-8i", "Product: MegaRAID SAS 8408E",
                                      "Product: RAID 9460-16i & <x> 100!"}));
}

TEST_F(RaidBatchTest, MegaCliReportAndAFailingTool) {
  InstallTool("MegaCli64", kMegaCliOutput);
  SetPath(true);
  ASSERT_EQ(RunBatch(), 0u);
  EXPECT_EQ(Report(),
            "Adapter number: 0\r\nProduct: PERC 6/i Integrated\r\nBattery: BBU present\r\n"
            "Adapter number: 1\r\nProduct: SAS 6/iR\r\n");
  // The service tries again later.
  SetEnvironmentVariableW(L"STUB_EXIT", L"4");
  EXPECT_EQ(RunBatch(), 2u);
}

TEST_F(RaidBatchTest, NoRaidManagerEndsWithOneAndNoReport) {
  SetPath(false);
  EXPECT_EQ(RunBatch(), kRaidNoManager);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(bin_ + kRaidReportFile)));
}

}  // namespace
}  // namespace quillon
