#include "platform/posix/posix_system_info.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace quillon {
namespace {

// Sets the locale variables for one test and puts the old values back afterwards.
class LocaleEnv {
 public:
  LocaleEnv() {
    for (const char* name : kNames) {
      const char* v = std::getenv(name);
      if (v != nullptr) saved_[name] = v;
      unsetenv(name);
    }
  }
  ~LocaleEnv() {
    for (const char* name : kNames) {
      auto it = saved_.find(name);
      if (it == saved_.end()) {
        unsetenv(name);
      } else {
        setenv(name, it->second.c_str(), 1);
      }
    }
  }
  void Set(const char* name, const char* value) { setenv(name, value, 1); }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::map<std::string, std::string> saved_;
};

std::string WriteTemp(const std::string& content) {
  char path[] = "/tmp/quillon-locale-XXXXXX";
  int fd = mkstemp(path);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  close(fd);
  return path;
}

TEST(PosixSystemInfoTest, LocaleNamesMapToLanguageIds) {
  EXPECT_EQ(LangIdFromLocale("ja_JP.UTF-8"), 0x0411);
  EXPECT_EQ(LangIdFromLocale("ja"), 0x0411);
  EXPECT_EQ(LangIdFromLocale("ja_JP.eucJP@x"), 0x0411);
  EXPECT_EQ(LangIdFromLocale("en_GB.UTF-8"), 0x0409);
  EXPECT_EQ(LangIdFromLocale("C.UTF-8"), 0x0409);
  EXPECT_EQ(LangIdFromLocale("POSIX"), 0x0409);
  for (const char* other : {"de_DE.UTF-8", "jam_JM", "xx", "j"}) {
    EXPECT_NE(LangIdFromLocale(other) & 0x3FF, 0x11) << other;
  }
}

TEST(PosixSystemInfoTest, UserLanguageTakesLcAllThenLcMessagesThenLang) {
  LocaleEnv env;
  PosixSystemInfo info("/nonexistent");
  env.Set("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(info.UserDefaultLangId(), 0x0411);
  env.Set("LC_MESSAGES", "en_US.UTF-8");
  EXPECT_EQ(info.UserDefaultLangId(), 0x0409);
  env.Set("LC_ALL", "ja_JP.UTF-8");
  EXPECT_EQ(info.UserDefaultLangId(), 0x0411);
  env.Set("LC_ALL", "");  // empty counts as not set
  EXPECT_EQ(info.UserDefaultLangId(), 0x0409);
}

TEST(PosixSystemInfoTest, SystemLanguageComesFromTheLocaleFile) {
  std::string ja = WriteTemp("# system locale\n  LANGUAGE=en\nLANG=\"ja_JP.UTF-8\"\n");
  std::string en = WriteTemp("LANG=en_US.UTF-8\r\n");
  std::string none = WriteTemp("LC_TIME=ja_JP.UTF-8\n");
  EXPECT_EQ(PosixSystemInfo(ja).SystemDefaultLangId(), 0x0411);
  EXPECT_EQ(PosixSystemInfo(en).SystemDefaultLangId(), 0x0409);
  EXPECT_EQ(PosixSystemInfo(none).SystemDefaultLangId(), 0x0409);
  EXPECT_EQ(PosixSystemInfo("/nonexistent/locale").SystemDefaultLangId(), 0x0409);
  for (const std::string& p : {ja, en, none}) unlink(p.c_str());
}

TEST(PosixSystemInfoTest, ProgramDirectoryIsTheProgramsOwnWithSlash) {
  PosixSystemInfo info;
  std::string path = info.ProgramPath();
  std::string dir = info.ProgramDirectory();
  ASSERT_FALSE(path.empty());
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(path.rfind(dir, 0), 0u);
  EXPECT_EQ(path.find('/', dir.size()), std::string::npos);
  EXPECT_EQ(access(path.c_str(), X_OK), 0);
  EXPECT_EQ(info.VersionWord(), 0u);
}

TEST(PosixSystemInfoTest, ErrorMessagesUseTheFamiliarTexts) {
  PosixSystemInfo info;
  EXPECT_EQ(info.ErrorMessage(2), "The system cannot find the file specified.");
  EXPECT_EQ(info.ErrorMessage(5), "Access is denied.");
  EXPECT_EQ(info.ErrorMessage(1060),
            "The specified service does not exist as an installed service.");
  EXPECT_EQ(info.ErrorMessage(1073), "The specified service already exists.");
  EXPECT_EQ(info.ErrorMessage(1062), "The service has not been started.");
  EXPECT_FALSE(info.ErrorMessage(ECONNRESET).empty());
  EXPECT_EQ(info.ErrorMessage(0x7FFFFFFF), "");
}

}  // namespace
}  // namespace quillon
