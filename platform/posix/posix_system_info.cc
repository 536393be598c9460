#include "platform/posix/posix_system_info.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/error_texts.h"

namespace quillon {
namespace {

constexpr uint16_t kLangIdEnglishUs = 0x0409;

struct LanguageEntry {
  const char* code;
  uint16_t lang_id;
};

// The usual default identifier of each language code; only the primary language matters to
// the system, but a full identifier keeps the values familiar to operators.
constexpr LanguageEntry kLanguages[] = {
    {"ja", 0x0411}, {"en", 0x0409}, {"de", 0x0407}, {"fr", 0x040C}, {"es", 0x0C0A},
    {"it", 0x0410}, {"nl", 0x0413}, {"pt", 0x0816}, {"ru", 0x0419}, {"zh", 0x0804},
    {"ko", 0x0412}, {"pl", 0x0415}, {"sv", 0x041D}, {"fi", 0x040B}, {"da", 0x0406},
    {"nb", 0x0414}, {"cs", 0x0405}, {"hu", 0x040E}, {"tr", 0x041F}, {"el", 0x0408},
};

// The value of the first variable that is set and not empty, as the C library picks the
// message locale.
std::string UserLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "";
}

// LANG from a file of NAME=value lines (# comments, optional quotes), as
// /etc/default/locale and /etc/locale.conf are written. Empty when there is none.
std::string LangFromFile(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::string lang;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line.erase(0, start);
    if (line.rfind("export ", 0) == 0) line.erase(0, 7);
    if (line.rfind("LANG=", 0) != 0) continue;
    std::string value = line.substr(5);
    while (!value.empty() &&
           (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
      value.pop_back();
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    lang = value;  // the last assignment wins, as in a shell
  }
  return lang;
}

}  // namespace

uint16_t LangIdFromLocale(std::string_view locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) {
    return kLangIdEnglishUs;
  }
  size_t end = locale.find_first_of("_.@");
  std::string_view language = locale.substr(0, end);
  for (const LanguageEntry& entry : kLanguages) {
    if (language.size() == std::strlen(entry.code) &&
        strncasecmp(language.data(), entry.code, language.size()) == 0) {
      return entry.lang_id;
    }
  }
  return 0x0000;  // neutral: known not to be Japanese
}

PosixSystemInfo::PosixSystemInfo(std::string system_locale_file)
    : system_locale_file_(std::move(system_locale_file)) {}

std::string PosixSystemInfo::ProgramPath() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer));
  if (n <= 0 || n == static_cast<ssize_t>(sizeof(buffer))) return "";
  std::string path(buffer, static_cast<size_t>(n));
  // A program replaced on disk while running (an update) still names its old place.
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.erase(path.size() - kDeleted.size());
  return path;
}

std::string PosixSystemInfo::ProgramDirectory() {
  std::string path = ProgramPath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

uint16_t PosixSystemInfo::UserDefaultLangId() { return LangIdFromLocale(UserLocale()); }

uint16_t PosixSystemInfo::SystemDefaultLangId() {
  std::string lang;
  if (!system_locale_file_.empty()) {
    lang = LangFromFile(system_locale_file_);
  } else if (access("/etc/default/locale", F_OK) == 0) {
    lang = LangFromFile("/etc/default/locale");
  } else {
    lang = LangFromFile("/etc/locale.conf");
  }
  return LangIdFromLocale(lang);
}

uint32_t PosixSystemInfo::VersionWord() { return 0; }

std::string PosixSystemInfo::ErrorMessage(Status code) {
  if (const char* text = StandardErrorText(code)) return text;
  if (code > 0 && code < 4096) {
    char buffer[256];
    // The GNU strerror_r returns its text, which may not be `buffer`.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof(buffer));
    if (text != nullptr && std::strncmp(text, "Unknown error", 13) != 0) return text;
  }
  return "";
}

}  // namespace quillon
