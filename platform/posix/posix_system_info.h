#ifndef QUILLON_PLATFORM_POSIX_POSIX_SYSTEM_INFO_H_
#define QUILLON_PLATFORM_POSIX_POSIX_SYSTEM_INFO_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace quillon {

// SystemInfo of a Linux machine. The program path comes from /proc/self/exe; the user's
// language from the process locale variables (LC_ALL, then LC_MESSAGES, then LANG, the first
// one set and not empty); the system's language from LANG in the system locale file. Reads
// its sources on every call (nothing cached), so it is thread-safe as long as nobody changes
// the environment at the same time.
class PosixSystemInfo : public SystemInfo {
 public:
  // Uses /etc/default/locale, or /etc/locale.conf when that does not exist.
  PosixSystemInfo() = default;
  // Reads the system locale from `system_locale_file` instead (for tests).
  explicit PosixSystemInfo(std::string system_locale_file);

  std::string ProgramPath() override;
  std::string ProgramDirectory() override;
  // 0x0411 for a Japanese locale ("ja", "ja_JP.UTF-8"), 0x0409 for English and for the
  // C/POSIX locale, another identifier (never Japanese) for the rest.
  uint16_t UserDefaultLangId() override;
  // Same mapping for LANG of the system locale file; 0x0409 when the file or the entry is
  // missing.
  uint16_t SystemDefaultLangId() override;
  // Always 0: Linux is no "non-NT" platform.
  uint32_t VersionWord() override;
  // The usual English text of a status (2 "The system cannot find the file specified.", ...);
  // for numbers without one, the C library's text of the same errno number; empty when there
  // is neither.
  std::string ErrorMessage(Status code) override;

 private:
  std::string system_locale_file_;
};

// The language identifier of a locale name such as "ja_JP.UTF-8", "en_GB", "C" or "de".
// Exposed for tests.
uint16_t LangIdFromLocale(std::string_view locale);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_POSIX_SYSTEM_INFO_H_
