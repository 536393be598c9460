#ifndef QUILLON_PLATFORM_SYSTEM_INFO_H_
#define QUILLON_PLATFORM_SYSTEM_INFO_H_

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace quillon {

// Primary language codes (the low 10 bits of a language identifier).
inline constexpr uint16_t kLangJapanese = 0x11;
inline constexpr uint16_t kLangEnglish = 0x09;

// Facts about the running program and the machine. Thread-safe.
class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // Full path of the running program file. Empty when it cannot be determined.
  virtual std::string ProgramPath() = 0;

  // Directory of the running program with its trailing separator ("/opt/quillon/bin/").
  // Empty when it cannot be determined.
  virtual std::string ProgramDirectory() = 0;

  // Language identifier of the user's default locale (primary language in the low 10 bits).
  virtual uint16_t UserDefaultLangId() = 0;

  // Language identifier of the system's default locale.
  virtual uint16_t SystemDefaultLangId() = 0;

  // The platform version word; its high bit is set on a non-NT system. Always clear on Linux.
  virtual uint32_t VersionWord() = 0;

  // The system's message text for an error code, without a trailing line end; empty when
  // there is none.
  virtual std::string ErrorMessage(Status code) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SYSTEM_INFO_H_
