#include "platform/fakes/fake_system_info.h"

namespace quillon {

std::string FakeSystemInfo::ProgramDirectory() {
  size_t slash = program_path.rfind('/');
  return slash == std::string::npos ? std::string() : program_path.substr(0, slash + 1);
}

std::string FakeSystemInfo::ErrorMessage(Status code) {
  return code == 0 ? "The operation completed successfully." : "Error " + std::to_string(code);
}

}  // namespace quillon
