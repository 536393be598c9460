#include "platform/profile_reader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/profile.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
    path_ = dir_ + "/TALVENU2.ini";
  }
  void Write(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  TempDir temp_{"profile_test."};
  std::string dir_;
  std::string path_;
};

TEST_F(ProfileFileTest, MissingFileOrDirectoryGivesTheDefaults) {
  EXPECT_EQ(ReadProfileInt(path_, "SUPPORT", "YEARS", 5), 5u);
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "VL", "N/A", 16), "N/A");
  // A directory where the file should be reads as a missing file.
  EXPECT_EQ(ReadProfileInt(dir_, "SUPPORT", "YEARS", 7), 7u);
  EXPECT_EQ(ReadProfileString(dir_, "VERSION", "VL", "N/A", 16), "N/A");
}

TEST_F(ProfileFileTest, ReadsIntegersAndTextsFromAFile) {
  Write("[SUPPORT]\r\nYEARS=7\r\n[VERSION]\r\nVL=V5.1 L13-03\r\n");
  EXPECT_EQ(ReadProfileInt(path_, "SUPPORT", "YEARS", 5), 7u);
  EXPECT_EQ(ReadProfileInt(path_, "SUPPORT", "MONTHS", 5), 5u);
  EXPECT_EQ(ReadProfileInt(path_, "NOTIFY", "YEARS", 30), 30u);
  EXPECT_EQ(ReadProfileString(path_, "version", "vl", "N/A", 16), "V5.1 L13-03");
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "VX", "N/A", 16), "N/A");
}

TEST_F(ProfileFileTest, PresentButEmptyTextIsEmptyNotTheDefault) {
  Write("[VERSION]\nVL=\n");
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "VL", "N/A", 16), "");
}

TEST_F(ProfileFileTest, TextIsCutToTheBuffer) {
  Write("[VERSION]\nVL=0123456789ABCDEFGHIJ\n");
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "VL", "N/A", 16), "0123456789ABCDE");
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "VL", "N/A", 1), "");
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "VL", "N/A", 0), "");
  EXPECT_EQ(ReadProfileString(path_, "VERSION", "none", "DEFAULTTEXT", 4), "DEF");
}

TEST_F(ProfileFileTest, BinaryJunkNeverCrashesAndGoodLinesStillCount) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  Write(junk + "\n[NOTIFY]\nDAYS_LMT=45\n" + junk);
  EXPECT_EQ(ReadProfileInt(path_, "NOTIFY", "DAYS_LMT", 30), 45u);
  Write(junk);
  EXPECT_EQ(ReadProfileInt(path_, "NOTIFY", "DAYS_LMT", 30), 30u);
}

TEST(ProfileParseTest, SectionsAndKeysMatchInAnyCaseWithBlanksAround) {
  const std::string text = "  [ LimitPre ]  \n  raid_bbu   =   4000  \n";
  EXPECT_EQ(FindProfileValue(text, "LIMITPRE", "RAID_BBU").value_or("?"), "4000");
  EXPECT_EQ(FindProfileValue(text, "limitpre", "Raid_Bbu").value_or("?"), "4000");
  EXPECT_FALSE(FindProfileValue(text, "LIMIT", "RAID_BBU").has_value());
}

TEST(ProfileParseTest, FirstMatchWinsAlsoAcrossRepeatedSections) {
  const std::string text =
      "[LIMIT]\nUPS_BBU=100\nUPS_BBU=200\n[OTHER]\nUPS_BBU=300\n[limit]\nUPS_BBU=400\n"
      "RAID_BBU=500\n";
  EXPECT_EQ(FindProfileValue(text, "LIMIT", "UPS_BBU").value_or("?"), "100");
  // A key only found in the second section of the same name is still found.
  EXPECT_EQ(FindProfileValue(text, "LIMIT", "RAID_BBU").value_or("?"), "500");
}

TEST(ProfileParseTest, CommentsAndLinesBeforeAnySectionAreIgnored) {
  const std::string text =
      "YEARS=1\n; [SUPPORT]\n[SUPPORT]\n;YEARS=2\n   ; YEARS=3\nnot a key line\nYEARS=4 ; note\n";
  // A ';' after the value is part of the value; the integer rule reads its leading number.
  EXPECT_EQ(FindProfileValue(text, "SUPPORT", "YEARS").value_or("?"), "4 ; note");
  EXPECT_EQ(ParseProfileInt(*FindProfileValue(text, "SUPPORT", "YEARS")), 4u);
}

TEST(ProfileParseTest, LineEndsLfCrlfAndCrAndAByteOrderMark) {
  for (const std::string eol : {"\n", "\r\n", "\r"}) {
    const std::string text = "\xEF\xBB\xBF[A]" + eol + "K=1" + eol + "[B]" + eol + "K=2" + eol;
    EXPECT_EQ(FindProfileValue(text, "A", "K").value_or("?"), "1") << "eol size " << eol.size();
    EXPECT_EQ(FindProfileValue(text, "B", "K").value_or("?"), "2") << "eol size " << eol.size();
  }
  // The value never keeps the CR of a CRLF line end.
  EXPECT_EQ(FindProfileValue("[A]\r\nK=v\r\n", "A", "K").value_or("?"), "v");
}

TEST(ProfileParseTest, HeaderWithoutClosingBracketAndTextAfterIt) {
  EXPECT_EQ(FindProfileValue("[SUPPORT\nYEARS=9\n", "SUPPORT", "YEARS").value_or("?"), "9");
  EXPECT_EQ(FindProfileValue("[SUPPORT] extra\nYEARS=8\n", "SUPPORT", "YEARS").value_or("?"), "8");
}

TEST(ProfileParseTest, LongLinesAreReadWhole) {
  const std::string long_value(100000, '7');
  const std::string text = "[X]\n" + std::string(70000, ';') + "\nPAD=" + std::string(200000, 'p') +
                           "\nK=" + long_value + "\n";
  EXPECT_EQ(FindProfileValue(text, "X", "K").value_or("?"), long_value);
  EXPECT_EQ(ParseProfileInt(long_value), UINT32_MAX);
}

TEST(ProfileParseTest, IntegerRule) {
  EXPECT_EQ(ParseProfileInt("26280"), 26280u);
  EXPECT_EQ(ParseProfileInt("  +42"), 42u);
  EXPECT_EQ(ParseProfileInt("12abc"), 12u);  // leading digits count
  EXPECT_EQ(ParseProfileInt("abc"), 0u);     // no number reads as 0
  EXPECT_EQ(ParseProfileInt(""), 0u);
  EXPECT_EQ(ParseProfileInt("0x10"), 0u);  // decimal only
  EXPECT_EQ(ParseProfileInt("-5"), 0u);    // negative counts are refused
  EXPECT_EQ(ParseProfileInt("-"), 0u);
  EXPECT_EQ(ParseProfileInt("\"8750\""), 8750u);
  EXPECT_EQ(ParseProfileInt("4294967295"), 4294967295u);
  EXPECT_EQ(ParseProfileInt("4294967296"), 4294967295u);
  EXPECT_EQ(ParseProfileInt("1.5"), 1u);
}

TEST(ProfileParseTest, TextRule) {
  EXPECT_EQ(CutProfileText("\"quoted\"", 16, true), "quoted");
  EXPECT_EQ(CutProfileText("'single'", 16, true), "single");
  EXPECT_EQ(CutProfileText("\"unbalanced", 16, true), "\"unbalanced");
  EXPECT_EQ(CutProfileText("\"kept\"", 16, false), "\"kept\"");
  EXPECT_EQ(CutProfileText(std::string_view("ab\0cd", 5), 16, true), "ab");
  // "バージョン" is five kana of three bytes each: 14 bytes of room must keep four kana, not
  // four and two thirds.
  EXPECT_EQ(
      CutProfileText("\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\xB3", 15, true),
      "\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7");
  EXPECT_EQ(CutProfileText("AB\xE3\x83\x90\xE3\x83\xBC", 5, true), "AB");
  // A run of continuation bytes is not UTF-8: the plain byte cut applies.
  EXPECT_EQ(CutProfileText("\x80\x80\x80\x80\x80\x80", 4, true), "\x80\x80\x80");
}

}  // namespace
}  // namespace quillon
