#ifndef QUILLON_COMMON_SETTINGS_SETTINGS_H_
#define QUILLON_COMMON_SETTINGS_SETTINGS_H_

#include <cstdint>

#include "common/settings/language.h"
#include "common/settings/schema.h"
#include "platform/status.h"
#include "platform/store.h"

namespace quillon {

class SystemInfo;

// The typed accessors of the settings store. Each builds a subkey and a value name, calls the
// store boundary (RegCtlReadValue / RegCtlWriteValue) and returns its status: 0 on success,
// non-zero on any failure. Readers leave the caller's variable untouched when the read fails,
// so callers preset their default in it. Text readers read into a private buffer of the
// value's fixed size and copy to the caller (who must provide at least that size) only on
// success. Text writers write the caller's whole fixed-size buffer. The `store` is not owned
// and must outlive the call. Thread-safe as far as the store is.

// The store boundary. Reads one value of `type` (kRegSz or kRegDword) into `buffer` of `size`
// bytes: a DWORD needs size 4; a text is copied up to `size` bytes and always ends with a zero
// inside the buffer (a longer stored text is cut). 0 on success; non-zero when the value is
// missing, is of another type, or the store fails; the buffer is then untouched.
Status RegCtlReadValue(Store* store, const char* subkey, const char* name, uint32_t type,
                       void* buffer, uint32_t size);
// Writes `size` bytes of `data` as a value of `type`. 0 on success.
Status RegCtlWriteValue(Store* store, const char* subkey, const char* name, uint32_t type,
                        const void* data, uint32_t size);

// Language: preset 0 when the user-default primary language is Japanese, else 1; then read.
Status ReadLanguage(Store* store, SystemInfo* system, uint32_t* out);
Status WriteLanguage(Store* store, uint32_t in);
// The service's rule: Japanese when the user-default and the system-default primary languages
// are both Japanese, otherwise English (also without `system`).
Language ServiceLanguage(SystemInfo* system);

Status ReadServerHours(Store* store, uint32_t* out);
Status WriteServerHours(Store* store, uint32_t in);

// `values` is indexed by PartKind; kind is 0-2.
Status ReadCurrent(Store* store, uint32_t* values, int kind);
Status WriteCurrent(Store* store, const uint32_t* values, int kind);
// For each kind 0-2 whose mask byte is non-zero writes rec.current[kind]; status of the last
// write made, 0 if none.
Status WriteSelectedCurrent(Store* store, const LifetimeRecord& rec, const uint8_t mask[3]);

Status ReadCurrentStop(Store* store, uint32_t* value, int kind);
Status WriteCurrentStop(Store* store, uint32_t value, int kind);
Status ReadLimit(Store* store, uint32_t* value, int kind);  // kind 0-7
Status WriteLimit(Store* store, uint32_t value, int kind);
Status ReadLimitPre(Store* store, uint32_t* value, int kind);  // kind 0-6
Status ReadRaidLimit(Store* store, uint32_t* value, int n);    // n 1-16
Status WriteRaidLimit(Store* store, uint32_t value, int n);
Status ReadRaidLimitPre(Store* store, uint32_t* value, int n);
Status WriteRaidLimitPre(Store* store, uint32_t value, int n);

// Setup-date index 1-16 is RAID01-RAID16; any other index is UPS. Texts are 16 bytes.
Status ReadSetupDate(Store* store, char* text, int index);
Status WriteSetupDate(Store* store, const char* text, int index);
// For each i 0-16 whose mask byte is non-zero writes rec.setupDate[i] as index i+1; status of
// the last write made, 0 if none.
Status WriteSelectedSetupDates(Store* store, const LifetimeRecord& rec, const uint8_t mask[17]);
Status ReadRaidCount(Store* store, uint32_t* out);
Status WriteRaidCount(Store* store, uint32_t in);

// Flag and 16-byte date of a NotifyIndex. Read: the date is copied only when both reads
// succeeded; the OR of both statuses. Write: flag and date in one transaction, so both are
// stored or neither is; the store's status.
Status ReadNotifyDone(Store* store, uint32_t* flag, char* date, int index);
Status WriteNotifyDone(Store* store, uint32_t flag, const char* date, int index);
Status ReadNotifyDonePre(Store* store, uint32_t* flag, char* date, int index);
Status WriteNotifyDonePre(Store* store, uint32_t flag, const char* date, int index);
Status ReadNotifyDonePreStop(Store* store, uint32_t* value, int index);
Status WriteNotifyDonePreStop(Store* store, uint32_t value, int index);

// values[0] = LCD, values[1] = DSP; both attempted; returns the status of the DSP access.
Status ReadNotifyMethod(Store* store, uint32_t values[2]);
Status WriteNotifyMethod(Store* store, const uint32_t values[2]);

// The bulk read: Current 0-2, Limit 0-5, SetupDate 1-17, LimitPre 0-4, RAID limits 1-16,
// RAID leads 1-16, in that order, every read attempted; failed slots keep their contents.
// Returns the OR of all statuses.
Status ReadAllLifetime(Store* store, LifetimeRecord* rec);

Status ReadKoriEnable(Store* store, uint32_t* out);
Status WriteKoriEnable(Store* store, uint32_t in);
Status ReadSupportLimit(Store* store, uint32_t* out);
Status ReadPsuCheck(Store* store, uint32_t* out);
Status WritePsuCheck(Store* store, uint32_t in);
Status ReadPsuMonitor(Store* store, uint32_t* out);
Status WritePsuMonitor(Store* store, uint32_t in);
Status ReadAverageTime(Store* store, char* text);         // 8 bytes
Status WriteAverageTime(Store* store, const char* text);  // 8 bytes
Status ReadInstallDate(Store* store, char* text);         // 24 bytes
Status WriteInstallDate(Store* store, const char* text);  // 24 bytes
Status ReadRunningTime(Store* store, uint32_t* out);
Status WriteRunningTime(Store* store, uint32_t in);
Status ReadLimitCheckTimer(Store* store, uint32_t* out);
Status ReadStatusLogDate(Store* store, char* text);         // 16 bytes
Status WriteStatusLogDate(Store* store, const char* text);  // 16 bytes
// NotifyDaysPre, then NotifyDays; both attempted; the OR of both statuses.
Status ReadNotifyDays(Store* store, uint32_t* pre, uint32_t* days);
Status ReadStartUpPid(Store* store, uint32_t* out);
Status ReadRaidConsumables(Store* store, uint32_t* value, int n);  // n 1-16
Status WriteRaidConsumables(Store* store, uint32_t value, int n);
// MetricsTextfileDir: the directory of the node exporter's textfile collector into which the
// service writes quillon.prom at every check cycle; empty or missing: no file (the default).
// Up to 255 characters.
inline constexpr size_t kMetricsDirTextSize = 256;
Status ReadMetricsTextfileDir(Store* store, char* text);  // kMetricsDirTextSize bytes

Status ReadModelType(Store* store, uint32_t* out);
Status WriteModelType(Store* store, uint32_t in);

}  // namespace quillon

#endif  // QUILLON_COMMON_SETTINGS_SETTINGS_H_
