#ifndef QUILLON_COMMON_SETTINGS_ACCESSOR_HELPERS_H_
#define QUILLON_COMMON_SETTINGS_ACCESSOR_HELPERS_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"
#include "platform/store.h"

// Building blocks shared by the accessor files; not part of the settings interface.
namespace quillon::settings_internal {

// Reads one DWORD straight into *out (untouched on failure).
Status ReadDword(Store* store, const char* key, const char* name, uint32_t* out);
Status WriteDword(Store* store, const char* key, const char* name, uint32_t in);

// Reads a text of fixed `size` (8, 16 or 24) into a private buffer and copies it, zero
// included, to `out` only on success. `out` must hold `size` bytes.
Status ReadText(Store* store, const char* key, const char* name, char* out, size_t size);

// Writes a text as its whole fixed-size buffer. The caller's text is read only up to its first
// zero (at most size - 1 characters) and the rest of the record is zero-filled, so a short
// text literal is never read past its end and no stray bytes reach the store.
Status WriteText(Store* store, const char* key, const char* name, const char* in, size_t size);

// The stored form of a DWORD: 4 bytes, little-endian whatever the host order, as the registry
// keeps it.
std::string DwordBytes(uint32_t value);

// The stored form of a fixed-size text of `size` bytes (at most kMetricsDirTextSize, the
// largest of the schema): the caller's text up to its first zero (at most size - 1
// characters), zero-filled to `size`.
std::string TextRecord(const char* in, size_t size);

// "RAID01".."RAID16" (stem "RAID") or "RAID_DATE01".. into `out` (at least 16 bytes); false
// when n is outside 1-16.
bool RaidName(const char* stem, int n, char* out, size_t out_size);

}  // namespace quillon::settings_internal

#endif  // QUILLON_COMMON_SETTINGS_ACCESSOR_HELPERS_H_
