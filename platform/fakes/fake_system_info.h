#ifndef QUILLON_PLATFORM_FAKES_FAKE_SYSTEM_INFO_H_
#define QUILLON_PLATFORM_FAKES_FAKE_SYSTEM_INFO_H_

#include <cstdint>
#include <string>

#include "platform/system_info.h"

namespace quillon {

// SystemInfo with fields the test sets.
class FakeSystemInfo : public SystemInfo {
 public:
  std::string ProgramPath() override { return program_path; }
  std::string ProgramDirectory() override;
  uint16_t UserDefaultLangId() override { return user_lang; }
  uint16_t SystemDefaultLangId() override { return system_lang; }
  uint32_t VersionWord() override { return version_word; }
  std::string ErrorMessage(Status code) override;

  std::string program_path = "/opt/quillon/bin/TALVENSV";
  uint16_t user_lang = 0x0409;
  uint16_t system_lang = 0x0409;
  uint32_t version_word = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_FAKE_SYSTEM_INFO_H_
