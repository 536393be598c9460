#include "common/settings/accessor_helpers.h"

#include <cstdio>
#include <cstring>

#include "common/settings/settings.h"

namespace quillon::settings_internal {
namespace {
// The largest fixed text buffer of the schema: MetricsTextfileDir.
constexpr size_t kMaxTextSize = kMetricsDirTextSize;
}  // namespace

Status ReadDword(Store* store, const char* key, const char* name, uint32_t* out) {
  if (out == nullptr) return kErrorInvalidParameter;
  return RegCtlReadValue(store, key, name, kRegDword, out, sizeof(*out));
}

Status WriteDword(Store* store, const char* key, const char* name, uint32_t in) {
  return RegCtlWriteValue(store, key, name, kRegDword, &in, sizeof(in));
}

Status ReadText(Store* store, const char* key, const char* name, char* out, size_t size) {
  if (out == nullptr || size == 0 || size > kMaxTextSize) return kErrorInvalidParameter;
  char buffer[kMaxTextSize] = {};
  Status s = RegCtlReadValue(store, key, name, kRegSz, buffer, static_cast<uint32_t>(size));
  if (s == kOk) std::memcpy(out, buffer, size);
  return s;
}

Status WriteText(Store* store, const char* key, const char* name, const char* in, size_t size) {
  if (in == nullptr || size == 0 || size > kMaxTextSize) return kErrorInvalidParameter;
  const std::string record = TextRecord(in, size);
  return RegCtlWriteValue(store, key, name, kRegSz, record.data(), static_cast<uint32_t>(size));
}

std::string DwordBytes(uint32_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
          static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
}

std::string TextRecord(const char* in, size_t size) {
  std::string record(in, strnlen(in, size - 1));
  record.resize(size, '\0');
  return record;
}

bool RaidName(const char* stem, int n, char* out, size_t out_size) {
  if (n < 1 || n > kMaxRaid) return false;
  std::snprintf(out, out_size, "%s%02ld", stem, static_cast<long>(n));
  return true;
}

}  // namespace quillon::settings_internal
