#ifndef QUILLON_PLATFORM_WIN32_WIN32_SYSTEM_INFO_H_
#define QUILLON_PLATFORM_WIN32_WIN32_SYSTEM_INFO_H_

#include "platform/system_info.h"

namespace quillon {

// SystemInfo of a Windows machine: the program path from GetModuleFileNameW, the language
// identifiers of the user's and the system's default locale, the platform version word and
// the system's message texts. Thread-safe.
class Win32SystemInfo : public SystemInfo {
 public:
  std::string ProgramPath() override;
  // The program path cut after its last backslash ("C:\Program Files\Quillon\").
  std::string ProgramDirectory() override;
  uint16_t UserDefaultLangId() override;
  uint16_t SystemDefaultLangId() override;
  // GetVersion(): the high bit is clear on every NT system.
  uint32_t VersionWord() override;
  // The system's English message for the error number.
  std::string ErrorMessage(Status code) override;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIN32_SYSTEM_INFO_H_
