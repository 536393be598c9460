#include <cstring>
#include <string>

#include "common/settings/accessor_helpers.h"
#include "common/settings/settings.h"

namespace quillon {

Status RegCtlReadValue(Store* store, const char* subkey, const char* name, uint32_t type,
                       void* buffer, uint32_t size) {
  if (store == nullptr || subkey == nullptr || name == nullptr || buffer == nullptr) {
    return kErrorInvalidParameter;
  }
  if (type == kRegDword && size != sizeof(uint32_t)) return kErrorInvalidParameter;
  if (type != kRegDword && (type != kRegSz || size == 0)) return kErrorInvalidParameter;

  ValueType stored_type = ValueType::kNone;
  std::string data;
  if (Status s = store->GetValue(subkey, name, &stored_type, &data)) return s;
  // Only the exact type counts: a DWORD read of a text (or the reverse) is a failure, so a
  // damaged value can never be taken for a setting.
  if (static_cast<uint32_t>(stored_type) != type) return kErrorInvalidData;

  if (type == kRegDword) {
    if (data.size() != sizeof(uint32_t)) return kErrorInvalidData;
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    uint32_t value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                     static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    std::memcpy(buffer, &value, sizeof(value));
    return kOk;
  }

  // The text ends at its first zero; a longer one is cut so that the zero stays inside the
  // caller's buffer. The rest of the buffer is zero-filled, as a fixed-size record would be.
  size_t length = data.find('\0');
  if (length == std::string::npos) length = data.size();
  if (length > size - 1) length = size - 1;
  auto* out = static_cast<char*>(buffer);
  std::memcpy(out, data.data(), length);
  std::memset(out + length, 0, size - length);
  return kOk;
}

Status RegCtlWriteValue(Store* store, const char* subkey, const char* name, uint32_t type,
                        const void* data, uint32_t size) {
  if (store == nullptr || subkey == nullptr || name == nullptr || data == nullptr) {
    return kErrorInvalidParameter;
  }
  if (type == kRegDword) {
    if (size != sizeof(uint32_t)) return kErrorInvalidParameter;
    uint32_t value;
    std::memcpy(&value, data, sizeof(value));
    return store->SetValue(subkey, name, ValueType::kDword, settings_internal::DwordBytes(value));
  }
  if (type != kRegSz || size == 0) return kErrorInvalidParameter;
  return store->SetValue(subkey, name, ValueType::kSz,
                         std::string_view(static_cast<const char*>(data), size));
}

}  // namespace quillon
