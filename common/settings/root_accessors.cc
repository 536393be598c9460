// Accessors of the values directly below the root key.
#include "common/settings/accessor_helpers.h"
#include "common/settings/settings.h"

namespace quillon {

using settings_internal::ReadDword;
using settings_internal::ReadText;
using settings_internal::WriteDword;
using settings_internal::WriteText;

Status ReadServerHours(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "LifeTime", out);
}
Status WriteServerHours(Store* store, uint32_t in) {
  return WriteDword(store, kRootKey, "LifeTime", in);
}

Status ReadKoriEnable(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "KoriEnable", out);
}
Status WriteKoriEnable(Store* store, uint32_t in) {
  return WriteDword(store, kRootKey, "KoriEnable", in);
}

Status ReadSupportLimit(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "SupportLimit", out);
}

Status ReadPsuCheck(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "PsuCheck", out);
}
Status WritePsuCheck(Store* store, uint32_t in) {
  return WriteDword(store, kRootKey, "PsuCheck", in);
}

Status ReadPsuMonitor(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "PsuMonitor", out);
}
Status WritePsuMonitor(Store* store, uint32_t in) {
  return WriteDword(store, kRootKey, "PsuMonitor", in);
}

Status ReadAverageTime(Store* store, char* text) {
  return ReadText(store, kRootKey, "AverageTime", text, kAverageTextSize);
}
Status WriteAverageTime(Store* store, const char* text) {
  return WriteText(store, kRootKey, "AverageTime", text, kAverageTextSize);
}

Status ReadMetricsTextfileDir(Store* store, char* text) {
  return ReadText(store, kRootKey, "MetricsTextfileDir", text, kMetricsDirTextSize);
}

Status ReadInstallDate(Store* store, char* text) {
  return ReadText(store, kRootKey, "InstallDate", text, kInstallDateTextSize);
}
Status WriteInstallDate(Store* store, const char* text) {
  return WriteText(store, kRootKey, "InstallDate", text, kInstallDateTextSize);
}

Status ReadRunningTime(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "RunningTime", out);
}
Status WriteRunningTime(Store* store, uint32_t in) {
  return WriteDword(store, kRootKey, "RunningTime", in);
}

Status ReadLimitCheckTimer(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "LimitCheckTimer", out);
}

Status ReadStatusLogDate(Store* store, char* text) {
  return ReadText(store, kRootKey, "StatusLogDate", text, kDateTextSize);
}
Status WriteStatusLogDate(Store* store, const char* text) {
  return WriteText(store, kRootKey, "StatusLogDate", text, kDateTextSize);
}

Status ReadNotifyDays(Store* store, uint32_t* pre, uint32_t* days) {
  Status s = ReadDword(store, kRootKey, "NotifyDaysPre", pre);
  return s | ReadDword(store, kRootKey, "NotifyDays", days);
}

Status ReadStartUpPid(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "StartUpPID", out);
}

Status ReadModelType(Store* store, uint32_t* out) {
  return ReadDword(store, kRootKey, "ModelType", out);
}
Status WriteModelType(Store* store, uint32_t in) {
  return WriteDword(store, kRootKey, "ModelType", in);
}

}  // namespace quillon
